// The little the pages need in the browser: dialogs, keyboard moves in
// tables, confirmations, and live updates from the event stream.
(function () {
  "use strict";
  var dirty = false;

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
    if (window.EventSource && document.querySelector("[data-live]")) {
      var timer = null;
      var events = new EventSource("/events");
      events.addEventListener("changed", function () {
        clearTimeout(timer);
        timer = setTimeout(refresh, 150);
      });
      events.addEventListener("toast", function (e) {
        try { toast(JSON.parse(e.data)); } catch (err) { /* not ours */ }
      });
    }
  });
})();
