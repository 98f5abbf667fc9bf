// The little the pages need in the browser: dialogs, keyboard moves in
// tables, confirmations, live updates from the event stream, and the
// windows of the manager's commands over the page.
(function () {
  "use strict";
  var dirty = false;
  var layer = null, acts = Promise.resolve(), heartbeat = null, shown = "", typed = false;

  function csrf() {
    var m = document.querySelector("meta[name=csrf]");
    return m ? m.content : "";
  }

  function post(url, fields) {
    return fetch(url, { method: "POST", credentials: "same-origin",
                        headers: { "X-CSRF-Token": csrf() }, body: new URLSearchParams(fields) });
  }

  // The window (and its question) as the server has it now. The field the
  // user was in keeps the focus.
  function showScreen(html) {
    if (!layer) return;
    // The same screen again (a heartbeat's answer) is left as it is, with
    // what the user is typing and has not sent yet.
    if (html === shown && heartbeat) return;
    shown = html;
    var focused = document.activeElement && layer.contains(document.activeElement)
      ? document.activeElement.id : "";
    layer.innerHTML = html;
    layer.hidden = !html;
    clearInterval(heartbeat);
    heartbeat = null;
    if (!html) return;
    // While a window is up the server is told now and then that someone
    // looks at it, and whether they typed since; a window nobody looks at,
    // or nobody uses for long, is closed.
    heartbeat = setInterval(function () {
      var active = typed;
      typed = false;
      loadScreen(active);
    }, 30000);
    var again = focused && document.getElementById(focused);
    var first = again || layer.querySelector(".question [autofocus]") ||
      layer.querySelector("[data-act]:not([disabled]):not([data-act=close])");
    if (first) first.focus();
  }

  function loadScreen(active) {
    fetch(active === true ? "/window?active=1" : "/window",
          { credentials: "same-origin" }).then(function (r) {
      return r.ok && !r.redirected ? r.text() : null;
    }).then(function (html) { if (html !== null) showScreen(html); }).catch(function () {});
  }

  // What the user does in a window goes to the server one after another, in
  // the order it was done. An answer to a question does not wait behind them:
  // the action that asked it waits for the answer.
  function act(win, action, control, value) {
    acts = acts.then(function () {
      return post("/window/" + win, { action: action, control: control || "", value: value || "" })
        .then(function (r) {
          if (r.ok) return r.text().then(showScreen);
          return r.text().then(function (text) {
            if (r.status === 400) toast({ title: "", text: text });
            loadScreen();
          });
        });
    }).catch(function () {});
  }

  function bindWindows() {
    if (!csrf()) return;  // signed out: no windows
    layer = document.createElement("div");
    layer.id = "window-layer";
    layer.hidden = true;
    document.body.appendChild(layer);
    layer.addEventListener("change", function (e) {
      var el = e.target, w = el.closest("[data-window]");
      if (!w || !el.dataset.act) return;
      var value = el.dataset.act === "check" ? (el.checked ? "1" : "0") : el.value;
      act(w.dataset.window, el.dataset.act, el.dataset.control, value);
    });
    layer.addEventListener("input", function () { typed = true; });
    layer.addEventListener("click", function (e) {
      var b = e.target.closest("button");
      if (!b) return;
      if (b.dataset.answer) {
        var q = b.closest("[data-question]");
        post("/question/" + q.dataset.question, { button: b.dataset.answer }).catch(function () {});
        return;
      }
      var w = b.closest("[data-window]");
      if (w && (b.dataset.act === "click" || b.dataset.act === "close"))
        act(w.dataset.window, b.dataset.act, b.dataset.control);
    });
    layer.addEventListener("keydown", function (e) {
      if (e.key !== "Escape" || layer.querySelector(".question")) return;
      var w = layer.querySelector("[data-window]");
      if (w) act(w.dataset.window, "close");
    });
    loadScreen();
  }

  function openDialogs(root) {
    root.querySelectorAll("dialog[data-auto-open]").forEach(function (d) {
      if (!d.open) d.showModal();
    });
  }

  function rows() { return Array.prototype.slice.call(document.querySelectorAll("tr[data-href]")); }

  function toast(data) {
    var box = document.getElementById("toasts");
    if (!box) return;
    var t = document.createElement("div");
    t.className = "toast";
    if (data.title) { var b = document.createElement("b"); b.textContent = data.title; t.appendChild(b); }
    t.appendChild(document.createTextNode(data.text || ""));
    box.appendChild(t);
    setTimeout(function () { t.remove(); }, 6000);
  }

  // Puts the fresh parts of the page in place without reloading it. A form
  // the user is editing keeps its edits: only the parts marked live change.
  function refresh() {
    fetch(location.href, { credentials: "same-origin" }).then(function (r) {
      if (!r.ok) return null;
      return r.text();
    }).then(function (html) {
      if (!html) return;
      var doc = new DOMParser().parseFromString(html, "text/html");
      var selector = dirty ? "[data-live]" : "main";
      var fresh = doc.querySelectorAll(selector);
      var here = document.querySelectorAll(selector);
      if (fresh.length !== here.length) return;
      for (var i = 0; i < here.length; i++) {
        if (here[i].innerHTML !== fresh[i].innerHTML) here[i].innerHTML = fresh[i].innerHTML;
      }
      if (dirty) {
        var n = document.getElementById("changed-notice");
        if (n) n.hidden = false;
      }
      bind();
    });
  }

  function bind() {
    document.querySelectorAll("form[data-confirm]").forEach(function (f) {
      if (f.dataset.bound) return;
      f.dataset.bound = "1";
      f.addEventListener("submit", function (e) {
        if (!confirm(f.dataset.confirm)) e.preventDefault();
      });
    });
    document.querySelectorAll("form[data-edit]").forEach(function (f) {
      if (f.dataset.bound) return;
      f.dataset.bound = "1";
      f.addEventListener("input", function () { dirty = true; });
      f.addEventListener("submit", function () { dirty = false; });
    });
    rows().forEach(function (tr) {
      if (tr.dataset.bound) return;
      tr.dataset.bound = "1";
      tr.addEventListener("click", function (e) {
        if (e.target.closest("a")) return;
        location.href = tr.dataset.href;
      });
    });
  }

  document.addEventListener("keydown", function (e) {
    var tag = (e.target.tagName || "").toLowerCase();
    var typing = tag === "input" || tag === "textarea" || tag === "select";
    if (layer && layer.contains(e.target)) return;
    if (typing) {
      if (e.key === "Escape") e.target.blur();
      return;
    }
    var list = rows();
    var at = list.indexOf(document.activeElement);
    if (e.key === "/") {
      var q = document.querySelector("input[name=q]");
      if (q) { e.preventDefault(); q.focus(); q.select(); }
    } else if ((e.key === "j" || e.key === "ArrowDown") && list.length) {
      e.preventDefault();
      list[Math.min(at + 1, list.length - 1)].focus();
    } else if ((e.key === "k" || e.key === "ArrowUp") && list.length) {
      e.preventDefault();
      list[Math.max(at - 1, 0)].focus();
    } else if (e.key === "Enter" && at >= 0) {
      location.href = list[at].dataset.href;
    }
  });

  document.addEventListener("DOMContentLoaded", function () {
    openDialogs(document);
    bind();
    bindWindows();
    if (window.EventSource) {
      var timer = null, windowTimer = null;
      var events = new EventSource("/events");
      events.addEventListener("changed", function () {
        if (!document.querySelector("[data-live]")) return;
        clearTimeout(timer);
        timer = setTimeout(refresh, 150);
      });
      events.addEventListener("window", function () {
        clearTimeout(windowTimer);
        windowTimer = setTimeout(loadScreen, 50);
      });
      events.addEventListener("toast", function (e) {
        try { toast(JSON.parse(e.data)); } catch (err) { /* not ours */ }
      });
    }
  });
})();
