#!/usr/bin/python3
"""The web interface in a real browser: two technicians sign in, a mail
becomes a case, one adds work and closes it, the other sees it leave the
queue without reloading; a manager's window opens and closes. The case's
mail carries a script, an event handler and a remote picture: none of them
may run or load. Screenshots of the
queue and the case page go to the output folder."""
import argparse
import base64
import http.server
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
from email.message import EmailMessage

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.common.exceptions import StaleElementReferenceException
    from selenium.webdriver.support.ui import WebDriverWait as SeleniumWait
except ImportError:
    print("python3-selenium is not installed; skipping")
    sys.exit(77)

PASSWORD = "desk-secret"


def WebDriverWait(driver, timeout, **options):
    """A wait that looks again when the page redrew an element meanwhile."""
    return SeleniumWait(driver, timeout,
                        ignored_exceptions=[StaleElementReferenceException], **options)


# A 1x1 PNG for the inline picture.
PIXEL = base64.b64decode(
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class RemoteCounter(http.server.BaseHTTPRequestHandler):
    """Stands for a tracking server: counts every request made to it."""
    hits = 0

    def do_GET(self):
        RemoteCounter.hits += 1
        self.send_response(200)
        self.send_header("Content-Type", "image/png")
        self.end_headers()
        self.wfile.write(PIXEL)

    def log_message(self, *args):
        pass


def hostile_mail(remote):
    mail = EmailMessage()
    mail["From"] = "Carol Caller <carol@customer.example>"
    mail["To"] = "support@helpdesk.example"
    mail["Subject"] = "Printer <b>jammed</b> on floor 3"
    mail["Message-ID"] = "<hostile-1@customer.example>"
    mail.set_content("The printer is jammed.")
    mail.add_alternative(
        "<html><body><p id='greeting'>The printer is jammed.</p>"
        "<script>document.body.setAttribute('data-pwned','script')</script>"
        "<img id='broken' src='missing.png' onerror=\"document.body.setAttribute('data-pwned','onerror')\">"
        "<img id='remote' src='%s/track.png'>"
        "<img id='inline' src='cid:logo@customer.example'>"
        "<div style=\"background:url('%s/bg.png')\">styled</div>"
        "</body></html>" % (remote, remote), subtype="html")
    mail.get_payload()[1].add_related(PIXEL, "image", "png", cid="<logo@customer.example>")
    return mail.as_bytes()


def browser(scratch):
    options = webdriver.ChromeOptions()
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu",
                 "--window-size=1400,1000", "--disable-dev-shm-usage",
                 "--user-data-dir=" + tempfile.mkdtemp(dir=scratch)):
        options.add_argument(flag)
    options.binary_location = "/usr/bin/chromium"
    return webdriver.Chrome(options=options, service=Service(executable_path="/usr/bin/chromedriver"))


def sign_in(driver, url):
    driver.get(url + "login")
    driver.find_element(By.ID, "password").send_keys(PASSWORD)
    driver.find_element(By.ID, "sign-in").click()
    WebDriverWait(driver, 10).until(lambda d: "/queue" in d.current_url)


def queue_numbers(driver):
    return [a.text for a in driver.find_elements(By.CSS_SELECTOR, "#queue tbody tr[data-href] td:first-child a")]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zanvoro", required=True)
    parser.add_argument("--configure", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    for tool in ("chromium", "chromedriver"):
        if not os.path.exists("/usr/bin/" + tool):
            print(tool + " is not installed; skipping")
            return 77
    os.makedirs(args.out, exist_ok=True)
    work = tempfile.mkdtemp(prefix="zanvoro-web-")
    profile = os.path.join(work, "profile")
    env = dict(os.environ, ZANVORO_UI="scripted", ZANVORO_HIVE=os.path.join(work, "hive"))

    def z(*words):
        return subprocess.run([args.zanvoro, "--profile", profile, *words], env=env,
                              check=True, capture_output=True, text=True).stdout

    remote_port = free_port()
    remote_server = http.server.ThreadingHTTPServer(("127.0.0.1", remote_port), RemoteCounter)
    threading.Thread(target=remote_server.serve_forever, daemon=True).start()
    remote = "http://127.0.0.1:%d" % remote_port

    subprocess.run([args.configure, "--profile", profile, "--register"], env=env, check=True,
                   capture_output=True)
    store = re.search(r'^store: mailbox "(.*)" ', z("profile", "show"), re.M).group(1)
    z("monitor", "add", "\\\\%s\\Inbox" % store)
    z("hive", "set", "Software\\Pellworth\\VNH\\Web", "Password", PASSWORD)
    drop = os.path.join(profile, "drop", "new")
    os.makedirs(drop, exist_ok=True)
    with open(os.path.join(drop, "hostile.eml"), "wb") as f:
        f.write(hostile_mail(remote))

    port = free_port()
    log = open(os.path.join(args.out, "web-session.log"), "w")
    session = subprocess.Popen([args.zanvoro, "--profile", profile, "web", "--listen",
                                "127.0.0.1:%d" % port], env=env, stdout=log, stderr=log)
    url = "http://127.0.0.1:%d/" % port
    drivers = []
    try:
        deadline = time.time() + 60
        while True:
            try:
                socket.create_connection(("127.0.0.1", port), timeout=1).close()
                break
            except OSError:
                if session.poll() is not None or time.time() > deadline:
                    raise AssertionError("the web session did not start")
                time.sleep(0.3)

        ann, bob = browser(work), browser(work)
        drivers = [ann, bob]
        for d in drivers:
            sign_in(d, url)

        # The mail becomes case 1 while Ann waits on the queue.
        def case_arrived(d):
            if "1" in queue_numbers(d):
                return True
            d.refresh()
            return False
        WebDriverWait(ann, 90, poll_frequency=1).until(
            case_arrived, "the mail did not become a case")
        ann.save_screenshot(os.path.join(args.out, "queue.png"))

        bob.get(url + "queue?folder=ongoing")
        assert "1" in queue_numbers(bob)

        ann.find_element(By.CSS_SELECTOR, "#queue tr[data-href='/case/1'] a").click()
        WebDriverWait(ann, 10).until(lambda d: d.find_elements(By.ID, "case-title"))
        title = ann.find_element(By.ID, "case-title").text
        assert "Printer <b>jammed</b>" in title, title  # escaped, shown as typed

        # The conversation: text and the inline picture show; nothing runs
        # and nothing remote loads.
        frame = ann.find_element(By.ID, "conversation")
        ann.switch_to.frame(frame)
        WebDriverWait(ann, 10).until(lambda d: d.find_elements(By.ID, "greeting"))
        # Every picture has loaded or failed by the time the frame is done.
        WebDriverWait(ann, 10).until(lambda d: d.execute_script(
            "return document.readyState === 'complete' &&"
            " Array.from(document.images).every(i => i.complete)"))
        inline = ann.find_elements(By.ID, "inline")
        assert inline and ann.execute_script("return arguments[0].naturalWidth", inline[0]) == 1, \
            "the cid: picture did not load"
        assert ann.execute_script("return document.body.getAttribute('data-pwned')") is None
        ann.switch_to.default_content()
        assert ann.execute_script("return document.body.getAttribute('data-pwned')") is None
        assert RemoteCounter.hits == 0, "the remote picture was requested %d times" % RemoteCounter.hits

        # A work entry.
        ann.find_element(By.CSS_SELECTOR, "#work-form input[name=minutes]").send_keys("25")
        ann.find_element(By.CSS_SELECTOR, "#work-form input[name=description]").send_keys(
            "Cleared the paper path")
        ann.find_element(By.ID, "btn-work").click()
        WebDriverWait(ann, 10).until(
            lambda d: "Cleared the paper path" in d.find_element(By.ID, "work").text)
        assert "25" in ann.find_element(By.ID, "work").text
        ann.save_screenshot(os.path.join(args.out, "case.png"))

        # Bob saves the case while Ann has it open; Ann's later save is
        # refused with the conflict message and neither edit is lost.
        ann.find_element(By.ID, "f-notes").send_keys("Ordered a new roller")
        bob.get(url + "case/1")
        subject = bob.find_element(By.ID, "f-subject")
        subject.clear()
        subject.send_keys("Printer jammed (floor 3)")
        bob.find_element(By.ID, "btn-save").click()
        WebDriverWait(bob, 10).until(
            lambda d: "Printer jammed (floor 3)" in d.find_element(By.ID, "case-title").text)
        WebDriverWait(ann, 10).until(lambda d: d.find_element(By.ID, "changed-notice").is_displayed())
        ann.find_element(By.ID, "btn-save").click()
        WebDriverWait(ann, 10).until(lambda d: d.find_elements(By.CSS_SELECTOR, "dialog[open]"))
        dialog = ann.find_element(By.CSS_SELECTOR, "dialog[open]")
        assert "Another user appears to have saved this item" in dialog.text, dialog.text
        dialog.find_element(By.TAG_NAME, "button").click()
        assert ann.find_element(By.ID, "f-notes").get_attribute("value") == "Ordered a new roller"
        assert ann.find_element(By.ID, "f-subject").get_attribute("value") == \
            "Printer jammed (floor 3)"
        ann.find_element(By.ID, "btn-save").click()
        WebDriverWait(ann, 10).until(lambda d: "Ordered a new roller" in
                                     d.find_element(By.ID, "f-notes").get_attribute("value")
                                     and not d.find_elements(By.CSS_SELECTOR, "dialog[open]"))
        assert "Printer jammed (floor 3)" in ann.find_element(By.ID, "case-title").text
        bob.get(url + "queue?folder=ongoing")
        bob.execute_script("window.stillHere = true")

        # Close it, confirming the question, while Bob keeps the queue open
        # (a marker tells whether his page reloads).
        ann.find_element(By.ID, "btn-close").click()
        WebDriverWait(ann, 5).until(lambda d: d.switch_to.alert)
        alert = ann.switch_to.alert
        assert "Are you sure you want to close Case #1?" in alert.text, alert.text
        alert.accept()
        WebDriverWait(ann, 20).until(lambda d: d.find_elements(By.ID, "btn-reopen"))
        for dialog in ann.find_elements(By.CSS_SELECTOR, "dialog[open] button"):
            dialog.click()
        ann.get(url + "queue?folder=resolved")
        assert "1" in queue_numbers(ann), "case 1 is not among the resolved cases"

        # Bob's open queue drops the case by itself.
        WebDriverWait(bob, 20).until(lambda d: "1" not in queue_numbers(d))
        assert bob.execute_script("return window.stillHere === true"), "Bob's page reloaded"

        # A manager's command opens its window over the page; its close box
        # closes it.
        ann.find_element(By.LINK_TEXT, "Manage").click()
        WebDriverWait(ann, 10).until(lambda d: d.find_elements(By.ID, "task-cmdOriginsList"))
        ann.find_element(By.ID, "task-cmdOriginsList").click()
        WebDriverWait(ann, 10).until(
            lambda d: d.find_elements(By.CSS_SELECTOR, "#window-layer [data-window]"))
        ann.save_screenshot(os.path.join(args.out, "manage-window.png"))
        ann.find_element(By.ID, "w-close").click()
        WebDriverWait(ann, 10).until(
            lambda d: not d.find_element(By.ID, "window-layer").is_displayed())
        print("web browser test passed")
        return 0
    finally:
        for d in drivers:
            d.quit()
        session.terminate()
        try:
            session.wait(timeout=20)
        except subprocess.TimeoutExpired:
            session.kill()
        remote_server.shutdown()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
