#!/usr/bin/env python3
"""How long a mail waits: from its file landing in the profile's Maildir drop
to its case saved and the caller's confirmation sent into the outbox Maildir.

Drives the real programs on a throw-away profile: a new helpdesk monitors
the Inbox, `zanvoro run` runs with its send/receive worker, and mails land in
the drop at a steady rate. Prints one figure per line as "name: value unit":
the latency's median and 99th percentile, and the session's peak memory.

Usage: latency_bench.py [--build DIR] [--mails N] [--rate PER_SECOND]
"""
import argparse
import os
import re
import shutil
import subprocess
import tempfile
import threading
import time


def make_mail(n):
    body = ("Hello support team, since this morning the problem comes back "
            "every few minutes. Could someone have a look, please?\r\n") * 4
    return (f"From: Caller {n % 200} <caller{n % 200:03d}@customer.example>\r\n"
            "To: Support <support@helpdesk.example>\r\n"
            f"Subject: Printer on floor 3 prints blank pages (#{n})\r\n"
            f"Date: Mon, 2 Mar 2026 09:00:00 +0100\r\n"
            f"Message-ID: <latency.{n}@customer.example>\r\n"
            "MIME-Version: 1.0\r\n"
            "Content-Type: text/plain; charset=utf-8\r\n\r\n" + body)


def subject_of(path):
    try:
        with open(path, "rb") as f:
            head = f.read(65536).decode("utf-8", "replace")
    except OSError:
        return None
    head = head.split("\r\n\r\n", 1)[0].split("\n\n", 1)[0]
    unfolded = re.sub(r"\r?\n[ \t]+", " ", head)
    found = re.search(r"^Subject: (.*)$", unfolded, re.MULTILINE | re.IGNORECASE)
    return found.group(1) if found else None


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(share * len(ordered)))]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build/bench")
    parser.add_argument("--mails", type=int, default=1000)
    parser.add_argument("--rate", type=float, default=50.0)
    parser.add_argument("--keep", action="store_true", help="keep the profile")
    args = parser.parse_args()
    bin_dir = os.path.abspath(os.path.join(args.build, "src", "app"))
    zanvoro = os.path.join(bin_dir, "zanvoro")
    profile = tempfile.mkdtemp(prefix="zanvoro-latency-")
    env = dict(os.environ, ZANVORO_UI="scripted",
               XDG_DOCUMENTS_DIR=os.path.join(profile, "Documents"))
    env.pop("ZANVORO_HIVE", None)

    def z(*words, check=True):
        return subprocess.run([zanvoro, "--profile", profile, *words], env=env,
                              check=check, capture_output=True, text=True)

    subprocess.run([os.path.join(bin_dir, "ConfigureServerPST"), "--profile",
                    profile, "--register"], env=env, check=True,
                   capture_output=True)
    store = re.search(r'^store: mailbox "(.*)" ', z("profile", "show").stdout,
                      re.MULTILINE).group(1)
    z("monitor", "add", "\\\\" + store + "\\Inbox")

    run = subprocess.Popen([zanvoro, "--profile", profile, "run"], env=env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    landed = {}
    confirmed = {}
    done = threading.Event()
    outbox = [os.path.join(profile, "outbox", sub) for sub in ("new", "cur")]

    def watch():
        seen = set()
        while not done.is_set():
            for folder in outbox:
                try:
                    names = os.listdir(folder)
                except FileNotFoundError:
                    continue
                for name in names:
                    if name in seen:
                        continue
                    subject = subject_of(os.path.join(folder, name))
                    if subject is None:
                        continue
                    seen.add(name)
                    found = re.search(r"\(#(\d+)\)", subject)
                    if found:
                        confirmed.setdefault(int(found.group(1)), time.monotonic())
            time.sleep(0.002)

    try:
        deadline = time.monotonic() + 60
        while z("mail", "deliver-now", check=False).returncode != 0:
            if time.monotonic() > deadline or run.poll() is not None:
                raise SystemExit("the session's worker did not start")
            time.sleep(0.2)
        watcher = threading.Thread(target=watch, daemon=True)
        watcher.start()
        drop = os.path.join(profile, "drop")
        start = time.monotonic()
        for n in range(1, args.mails + 1):
            due = start + (n - 1) / args.rate
            wait = due - time.monotonic()
            if wait > 0:
                time.sleep(wait)
            name = f"{int(time.time())}.L{n}.latency"
            with open(os.path.join(drop, "tmp", name), "w", newline="") as f:
                f.write(make_mail(n))
            os.rename(os.path.join(drop, "tmp", name),
                      os.path.join(drop, "new", name))
            landed[n] = time.monotonic()
        deadline = time.monotonic() + 120
        while len(confirmed) < args.mails and time.monotonic() < deadline:
            time.sleep(0.05)
        done.set()
        watcher.join()
        peak = 0
        with open(f"/proc/{run.pid}/status") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    peak = int(line.split()[1]) / 1024
        waits = [confirmed[n] - landed[n] for n in landed if n in confirmed]
        print(f"mails: {args.mails} count")
        print(f"rate: {args.rate:.0f} mails/s")
        print(f"confirmed: {len(waits)} count")
        if waits:
            print(f"latency_p50: {percentile(waits, 0.50) * 1000:.0f} ms")
            print(f"latency_p99: {percentile(waits, 0.99) * 1000:.0f} ms")
            print(f"latency_max: {max(waits) * 1000:.0f} ms")
        print(f"session_peak_rss: {peak:.1f} MB")
        return 0 if len(waits) == args.mails else 1
    finally:
        done.set()
        run.terminate()
        try:
            run.wait(timeout=30)
        except subprocess.TimeoutExpired:
            run.kill()
        if not args.keep:
            shutil.rmtree(profile, ignore_errors=True)
        else:
            print(f"profile: {profile}")


if __name__ == "__main__":
    raise SystemExit(main())
