"""The HTML view on the real WebKitGTK backend with a page served from
loopback: right-button presses never reach the page, link clicks are traced
with the innermost link's href, and a page may open a new window."""

import http.server
import os
import sys
import threading
import time
import unittest
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import skin_e2e as e2e  # noqa: E402

PAGE = """<!doctype html>
<html><head><meta charset="utf-8"><title>korvane page</title>
<style>
  body { margin: 0; background: #fff; font: 18px sans-serif; }
  .box { position: absolute; display: block; width: 220px; height: 60px; background: #cde; }
</style></head>
<body>
<a id="plain" class="box" style="left:20px;top:20px" href="next.html">plain link</a>
<a id="nested" class="box" style="left:20px;top:100px" href="outer.html"><span
   style="display:block;margin:8px;background:#fc9">inner <b>bold</b></span></a>
<a id="nohref" class="box" style="left:20px;top:180px"><i>no href</i></a>
<div id="nolink" class="box" style="left:20px;top:260px">not a link</div>
<div id="dom" class="box" style="left:20px;top:340px"></div>
<a id="popup" class="box" style="left:20px;top:420px" href="popup.html" target="_blank">new window</a>
<div id="target" class="box" style="left:300px;top:20px;width:300px;height:240px;background:#eee">
  press here</div>
<iframe id="frame" src="frame.html" style="position:absolute;left:300px;top:300px;width:300px;height:150px"></iframe>
<script>
  function report(query) { fetch('/event?' + query).catch(function () {}); }
  // Links nested through the DOM (the HTML parser never nests them).
  var outer = document.createElement('a');
  outer.href = 'outer2.html';
  var inner = document.createElement('a');
  inner.href = 'inner2.html';
  inner.textContent = 'nested links';
  inner.style.display = 'block';
  inner.style.height = '60px';
  outer.appendChild(inner);
  document.getElementById('dom').appendChild(outer);
  document.addEventListener('mousedown', function (e) {
    report('type=mousedown&button=' + e.button + '&detail=' + e.detail);
  });
  document.addEventListener('contextmenu', function () { report('type=contextmenu'); });
  document.addEventListener('click', function (e) {
    if (e.target.closest && e.target.closest('#popup')) return;
    e.preventDefault();  // the page stays for the next click
    report('type=click');
  });
  window.addEventListener('load', function () { report('type=loaded'); });
  document.addEventListener('keydown', function (e) {
    report('type=keydown&key=' + encodeURIComponent(e.key) + '&ctrl=' + (e.ctrlKey ? 1 : 0));
  });
</script>
</body></html>
"""

FRAME = """<!doctype html><html><body style="margin:0;background:#dfd">
<a href="frame-link.html" style="display:block;width:300px;height:150px"
   onclick="event.preventDefault()">link in a frame</a></body></html>"""

POPUP = """<!doctype html><html><head><title>korvane popup</title></head>
<body>a new window</body></html>"""


class Site:
    def __init__(self):
        self.events = []
        self.lock = threading.Lock()
        site = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                url = urllib.parse.urlparse(self.path)
                if url.path == "/event":
                    with site.lock:
                        site.events.append(dict(urllib.parse.parse_qsl(url.query)))
                    body = b""
                else:
                    body = {"/": PAGE, "/frame.html": FRAME, "/popup.html": POPUP}.get(
                        url.path, "<html><body>other</body></html>").encode("utf-8")
                self.send_response(200)
                self.send_header("Content-Type", "text/html; charset=utf-8")
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        self.url = "http://127.0.0.1:%d/" % self.server.server_address[1]

    def of_type(self, kind):
        with self.lock:
            return [e for e in self.events if e.get("type") == kind]

    def close(self):
        self.server.shutdown()
        self.server.server_close()


class HtmlViewTest(unittest.TestCase):
    def setUp(self):
        self.site = Site()
        self.driver = e2e.Driver("html", self.site.url, env={"G_MESSAGES_DEBUG": "korvane"})
        self.window = e2e.find_window("^korvane-driver-main$")
        e2e.wait_for(lambda: self.site.of_type("loaded"), 30, "the page to load")
        time.sleep(1.0)
        x, y, _, _ = e2e.geometry(self.window)
        self.origin = (x, y + 30)  # the view sits below a 30-pixel strip

    def tearDown(self):
        self.driver.stop()
        self.site.close()

    def at(self, left, top):
        return self.origin[0] + left, self.origin[1] + top

    def traces(self):
        return [line.split("单击事件:", 1)[1] for line in self.driver.output() if "单击事件:" in line]

    def test_right_button_presses_never_reach_the_page(self):
        e2e.click(*self.at(450, 140), button=1)
        e2e.wait_for(lambda: self.site.of_type("mousedown"), 10, "the left press")
        e2e.click(*self.at(450, 140), button=3)
        e2e.click(*self.at(460, 150), button=3, repeat=2)
        e2e.click(*self.at(450, 140), button=1)
        e2e.wait_for(lambda: len(self.site.of_type("mousedown")) >= 2, 10, "the second left press")
        time.sleep(0.5)
        buttons = [e["button"] for e in self.site.of_type("mousedown")]
        self.assertEqual(buttons, ["0", "0"], "only left presses reached the page")
        self.assertEqual(self.site.of_type("contextmenu"), [])
        shot = e2e.Screenshot("html_view.png")
        x, y = self.at(450, 140)
        self.assertTrue(e2e.near(shot.pixel(x, y), (0xEE, 0xEE, 0xEE), 2),
                        "the page shows, no menu over it")

    def test_link_clicks_are_traced_with_the_innermost_href(self):
        cases = [
            ("plain link", (60, 40), ["next.html"]),
            ("element inside a link", (60, 125), ["outer.html"]),
            ("link without href", (60, 200), [""]),
            ("not inside a link", (60, 280), []),
            ("nested links", (60, 370), ["inner2.html"]),
            ("link in a frame (not the top-level document)", (450, 375), []),
        ]
        for name, (left, top), expected in cases:
            with self.subTest(name):
                before = len(self.traces())
                clicks = len(self.site.of_type("click"))
                e2e.click(*self.at(left, top))
                if top < 300 or left < 300:
                    e2e.wait_for(lambda: len(self.site.of_type("click")) > clicks, 10,
                                 "the page's click")
                time.sleep(0.7)
                self.assertEqual(self.traces()[before:], expected, name)

    def test_keys_pass_the_window_filter_before_the_page(self):
        e2e.click(*self.at(450, 140))  # the page takes the focus
        e2e.wait_for(lambda: self.site.of_type("mousedown"), 10, "the focusing click")
        for keys in ("Return", "Escape", "space", "ctrl+a", "Tab"):
            e2e.key(keys)
        e2e.wait_for(lambda: len(self.site.of_type("keydown")) >= 5, 10, "the page's keys")
        time.sleep(0.5)
        seen = [(e["key"], e["ctrl"]) for e in self.site.of_type("keydown")]
        self.assertEqual(seen, [("Enter", "0"), ("Escape", "0"), ("Control", "1"), ("a", "1"),
                                ("Tab", "0")], "Space was kept from the page")
        filtered = [l for l in self.driver.output() if l.startswith("key ")]
        for expected in ("key 13 0", "key 27 0", "key 32 0", "key 65 2", "key 9 0"):
            self.assertIn(expected, filtered)

    def test_new_windows_are_not_blocked(self):
        e2e.click(*self.at(60, 450))
        popup = e2e.find_window("^korvane popup$", timeout=20)
        self.assertNotEqual(popup, self.window)
        self.assertEqual(self.traces()[-1:], ["popup.html"])


class TeardownTest(unittest.TestCase):
    def test_view_outlives_its_parent_window(self):
        site = Site()
        try:
            driver = e2e.Driver("teardown", site.url)
            with driver:
                driver.wait_line("^view deleted$", 30)
                self.assertEqual(driver.process.wait(10), 0, driver.output())
                self.assertFalse([l for l in driver.output() if "CRITICAL" in l or "WARNING" in l],
                                 driver.output())
        finally:
            site.close()


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], exit=True)
