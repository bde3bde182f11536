"""Shared pieces of the main window's end-to-end tests: a page server on
loopback, a panel that reserves the bottom of the screen, the main-window
driver, and X11 read-back and input through xdotool, xwininfo and xprop.

Runs inside tools/with-display.sh (its own Xvfb, openbox and xcompmgr)."""

import http.server
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse

SCREEN = (1600, 1000)
PANEL_HEIGHT = 40
WORK_AREA = (0, 0, SCREEN[0], SCREEN[1] - PANEL_HEIGHT)
RESTORED_SIZE = (1000, 700)
STRIP_HEIGHT = 30
CAPTION = "《Korvane》登入器"

# Title strip buttons: id -> (distance of the left edge from the right edge, width, height).
BUTTONS = {
    1001: (28, 28, 26),   # close
    1008: (57, 28, 26),   # maximise
    1002: (57, 28, 26),   # restore
    1003: (86, 28, 26),   # minimise
    1004: (192, 85, 24),  # fullscreen
    1005: (294, 97, 24),  # boss key (hide)
    1030: (384, 85, 24),  # clear cache
    1021: (467, 78, 24),  # refresh
    1007: (531, 59, 24),  # choose server
}

OUTPUT = os.environ.get("KORVANE_TEST_OUTPUT", "/tmp")
DRIVER = os.path.join(os.path.dirname(os.environ["KORVANE_BIN"]), "korvane-mainwnd-driver")

PAGE = """<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>game page</title>
<style>
 html, body { margin: 0; height: 100%; }
 body { background: linear-gradient(160deg, #1d4e89 0%, #2a9d8f 55%, #e9c46a 100%);
        font-family: sans-serif; color: #fff; }
 h1 { margin: 0; padding: 40px; font-size: 48px; }
 p { padding: 0 40px; font-size: 22px; }
</style></head>
<body><h1>Korvane test page</h1><p>游戏页面 &mdash; keys typed here are reported.</p>
<script>
 document.addEventListener('keydown', function (e) {
   fetch('/key?k=' + encodeURIComponent(e.key));
 });
</script></body></html>
"""


def log(*parts):
    print("[mainwnd-e2e]", *parts, flush=True)


def fail(message):
    log("FAIL:", message)
    raise AssertionError(message)


def check(condition, message):
    if not condition:
        fail(message)
    log("ok:", message)


def wait_for(predicate, timeout, what):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            fail("timed out waiting for " + what)
        time.sleep(0.05)


def run(*args, check_status=True):
    result = subprocess.run(list(args), capture_output=True, text=True)
    if check_status and result.returncode != 0:
        fail("%s failed: %s" % (" ".join(args), result.stderr.strip()))
    return result.stdout


# --- the page server

class LoopbackSite:
    """An HTTP server on 127.0.0.1 (ephemeral port) started by the test: it
    records every request's path and Cookie header and answers through
    respond(path, cookies) -> (status, [(header, value)], body)."""

    def __init__(self):
        self.requests = []
        self.lock = threading.Lock()
        owner = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                cookies = self.headers.get("Cookie", "")
                with owner.lock:
                    owner.requests.append((self.path, cookies))
                status, headers, body = owner.respond(self.path, cookies)
                self.send_response(status)
                for name, value in headers:
                    self.send_header(name, value)
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()
        self.url = "http://127.0.0.1:%d/" % self.server.server_address[1]

    def respond(self, path, cookies):
        raise NotImplementedError

    def paths(self):
        with self.lock:
            return [path for path, _ in self.requests]

    def count(self, path):
        return self.paths().count(path)

    def keys(self):
        """The keys the page reported with fetch('/key?k=...')."""
        return [urllib.parse.unquote(p[len("/key?k="):]) for p in self.paths()
                if p.startswith("/key?k=")]

    def stop(self):
        self.server.shutdown()
        self.server.server_close()


def uncached_html(page, is_page):
    """The answer of a page server: `page` for the page itself, "ok" for the
    page's reports, never cached."""
    body = page.encode("utf-8") if is_page else b"ok"
    return 200, [("Content-Type", "text/html; charset=utf-8"), ("Cache-Control", "no-store")], body


class PageServer(LoopbackSite):
    """Serves the test page at "/" and records requests."""

    def respond(self, path, cookies):
        return uncached_html(PAGE, path == "/")


# --- the panel

class Panel:
    """A window along the bottom edge that reserves PANEL_HEIGHT pixels
    (_NET_WM_STRUT_PARTIAL), so the work area differs from the screen."""

    def __init__(self):
        self.process = subprocess.Popen(
            ["xmessage", "-geometry", "%dx%d+0+%d" % (SCREEN[0], PANEL_HEIGHT, WORK_AREA[3]),
             "-name", "korvanepanel", "panel"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        windows = wait_for(lambda: run("xdotool", "search", "--classname", "korvanepanel",
                                       check_status=False).split(), 10, "the panel window")
        strut = "0,0,0,%d,0,0,0,0,0,0,0,%d" % (PANEL_HEIGHT, SCREEN[0] - 1)
        for window in windows:
            run("xprop", "-id", window, "-f", "_NET_WM_STRUT_PARTIAL", "32c",
                "-set", "_NET_WM_STRUT_PARTIAL", strut)
        wait_for(lambda: work_area() == WORK_AREA, 10, "the work area to shrink")

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)


def work_area():
    text = run("xprop", "-root", "_NET_WORKAREA", check_status=False)
    numbers = [int(n) for n in re.findall(r"\d+", text.split("=", 1)[-1])]
    return tuple(numbers[:4]) if len(numbers) >= 4 else None


# --- the main window driver

class Home:
    """A private HOME with its XDG folders, removed again by remove(): the web
    engine's data, the settings and the caches of one driver land here, never
    in the real home, and drivers running side by side share nothing."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="korvane-mainwnd-")
        self.home = os.path.join(self.root, "home")
        self.data_home = os.path.join(self.root, "data")
        self.env = dict(os.environ)
        self.env.update(HOME=self.home, XDG_DATA_HOME=self.data_home,
                        XDG_CONFIG_HOME=os.path.join(self.root, "config"),
                        XDG_CACHE_HOME=os.path.join(self.root, "cache"),
                        XDG_CONFIG_DIRS=os.path.join(self.root, "etc-xdg"))
        for name in ("home", "data", "config", "cache", "etc-xdg"):
            os.makedirs(os.path.join(self.root, name))

    def program_folder(self):
        return os.path.join(self.data_home, "rozovizo_7", "kovr")

    def remove(self):
        shutil.rmtree(self.root, ignore_errors=True)


class Driver:
    """korvane-mainwnd-driver showing `url` in a home of its own; `window` is
    its main window's X id."""

    def __init__(self, url, output=None, own_home=True):
        # A home of its own, unless the test has set up one in the environment
        # (own_home=False) that this driver is to use.
        self.home = Home() if own_home else None
        # Output goes to a file (a launcher started by this one may hold a pipe
        # open): a temporary one unless the test gives its own.
        self.output = output if output is not None else tempfile.TemporaryFile(mode="w+")
        self.process = subprocess.Popen([DRIVER, url], stdout=self.output,
                                        stderr=subprocess.DEVNULL, text=True,
                                        env=self.home.env if self.home else None)
        self.pid = self.process.pid
        self.window = wait_for(lambda: main_window_of(self.pid), 30, "the main window to show")

    @staticmethod
    def adopt(pid):
        """A driver started by another driver (the server switch); it runs in
        the home of the one that started it, which keeps that home."""
        driver = Driver.__new__(Driver)
        driver.home = None
        driver.process = None
        driver.pid = pid
        driver.window = wait_for(lambda: main_window_of(pid), 30, "the new main window")
        return driver

    def alive(self):
        if self.process is not None:
            return self.process.poll() is None
        return os.path.exists("/proc/%d" % self.pid) and not is_zombie(self.pid)

    def wait_exit(self, timeout=15):
        if self.process is not None:
            code = self.process.wait(timeout=timeout)
            self.output.seek(0)
            return code, self.output.read()
        wait_for(lambda: not self.alive(), timeout, "process %d to end" % self.pid)
        return None, ""

    def stop(self):
        if self.alive():
            os.kill(self.pid, 15)
            if self.process is not None:
                self.process.wait(timeout=10)
        if self.home is not None:
            self.home.remove()


def is_zombie(pid):
    try:
        with open("/proc/%d/stat" % pid) as stat:
            return stat.read().split(")")[-1].split()[0] == "Z"
    except OSError:
        return True


def visible_windows_of(pid):
    out = run("xdotool", "search", "--onlyvisible", "--pid", str(pid), check_status=False)
    return [int(w) for w in out.split()]


def window_name(window):
    return run("xdotool", "getwindowname", str(window), check_status=False).strip()


def main_window_of(pid):
    for window in visible_windows_of(pid):
        if window_name(window) == CAPTION:
            return window
    return None


def window_named(pid, name):
    for window in visible_windows_of(pid):
        if window_name(window) == name:
            return window
    return None


def toplevel_windows():
    """Ids of the root window's children (override-redirect pop-ups included)."""
    text = run("xwininfo", "-root", "-children")
    return set(int(w, 16) for w in re.findall(r"^\s+(0x[0-9a-f]+) ", text, re.M))


def geometry(window):
    """(x, y, width, height) of a window as the X server has it."""
    text = run("xwininfo", "-id", str(window))
    value = lambda key: int(re.search(key + r":\s+(-?\d+)", text).group(1))
    return (value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"),
            value("Height"))


def map_state(window):
    text = run("xwininfo", "-id", str(window))
    return re.search(r"Map State:\s+(\w+)", text).group(1)


def net_wm_state(window):
    text = run("xprop", "-id", str(window), "_NET_WM_STATE", check_status=False)
    return set(re.findall(r"_NET_WM_STATE_\w+", text))


def wait_geometry(window, expected, what, timeout=10):
    try:
        wait_for(lambda: geometry(window) == expected, timeout, what)
    except AssertionError:
        fail("%s: geometry %s, expected %s" % (what, geometry(window), expected))
    log("ok:", what, expected)


# --- input

def button_centre(window, button_id):
    x, y, width, _ = geometry(window)
    from_right, w, h = BUTTONS[button_id]
    return x + width - from_right + w // 2, y + 3 + h // 2


def hover(x, y):
    """Moves the pointer onto (x, y) in small steps, as a hand would."""
    for step in range(6):
        run("xdotool", "mousemove", "--sync", str(x - 12 + 2 * step), str(y))
        time.sleep(0.05)


def click_at(x, y, repeat=1):
    run("xdotool", "mousemove", "--sync", str(x), str(y))
    time.sleep(0.15)
    if repeat == 1:
        run("xdotool", "click", "1")
    else:
        run("xdotool", "click", "--repeat", str(repeat), "--delay", "80", "1")


def click_button(window, button_id):
    click_at(*button_centre(window, button_id))


def strip_point(window):
    """A point of the title strip right of the left piece and left of the buttons."""
    x, y, _, _ = geometry(window)
    return x + 300, y + 15


def drag(from_x, from_y, dx, dy):
    run("xdotool", "mousemove", "--sync", str(from_x), str(from_y))
    time.sleep(0.15)
    run("xdotool", "mousedown", "1")
    for step in range(1, 11):
        run("xdotool", "mousemove", str(from_x + dx * step // 10), str(from_y + dy * step // 10))
        time.sleep(0.03)
    time.sleep(0.2)
    run("xdotool", "mouseup", "1")
    time.sleep(0.3)


def key(*names):
    run("xdotool", "key", *names)


def screenshot(name):
    path = os.path.join(OUTPUT, name)
    run("import", "-window", "root", path)
    log("screenshot", path)
    return path


def main(body):
    """Runs `body`, cleaning up what it started; exit code 1 on failure."""
    started = []
    try:
        body(started)
    except Exception as error:  # noqa: BLE001 (report every failure the same way)
        log("FAILED:", repr(error))
        status = 1
    else:
        log("PASSED")
        status = 0
    for thing in reversed(started):
        try:
            thing.stop()
        except Exception as error:  # noqa: BLE001
            log("cleanup:", repr(error))
    sys.exit(status)
