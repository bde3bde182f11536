"""Helpers of the end-to-end tests of an ordinary launch: the login window and
its pop-up, the login page, the hand-over to the main window.

LoginSandbox     kvtest's sandboxed home with a desktop folder
DemoSite         tools/demo-site/server.py on a free loopback port, its log kept
VersionServer    an update server whose reply to the version request waits
                 until the test lets it go
PageServer       tests/support/scripted_http_server.py serving pages a test writes
Launcher         the launcher started in a sandbox and pointed at those servers
windows()        the launcher's windows on the screen, by kind
Screen           a screenshot with its pixels; popup_background() the pop-up's
                 own picture (bitmap 318), to tell a collapsed page from a shown one
"""

import http.server
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import time

import kvtest
from skin_e2e import Screenshot

SOURCE_DIR = os.environ.get(
    "KORVANE_SOURCE_DIR", os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
OUTPUT = kvtest.TEST_OUTPUT
CAPTION = "《Korvane》登入器"  # string 107
LOGIN_PATH = "/login/lorvik/gy"
LOGIN_SIZE = (1251, 733)
POPUP_SIZE = (714, 488)
POPUP_OFFSET = (459, 139)
# The page's place in the pop-up.
PAGE_AREA = (0, 47, 686, 437)
ACCOUNT, PASSWORD = "player1", "korvane123"


def wait_for(predicate, timeout, what):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out after %gs waiting for %s" % (timeout, what))
        time.sleep(0.05)


class LoginSandbox(kvtest.Sandbox):
    """A sandboxed home with a desktop folder, as a desktop user has it."""

    def __init__(self, label="login"):
        super().__init__(label)
        self.desktop = os.path.join(self.home, "Desktop")
        os.makedirs(self.desktop)
        self.menu = os.path.join(self.data_home, "applications", "Korvane", "Korvane")
        self.installed = os.path.join(self.program_folder, "korvane")

    def cleanup(self):
        # The web engine's helper processes of a stopped launcher may still be
        # writing their caches for a moment.
        for _ in range(20):
            super().cleanup()
            if not os.path.exists(self.root):
                return
            time.sleep(0.25)

    def log_messages(self):
        if not os.path.exists(self.log_path):
            return []
        return [line.message for line in self.read_log()]


class DemoSite:
    """The bundled demo operator site; `log()` is what it wrote to stderr."""

    def __init__(self, *extra):
        self.folder = tempfile.mkdtemp(prefix="kv-demo-site-", dir=OUTPUT)
        port_file = os.path.join(self.folder, "port")
        self.log_path = os.path.join(self.folder, "site.log")
        self._log = open(self.log_path, "wb")
        self.process = subprocess.Popen(
            [sys.executable, os.path.join(SOURCE_DIR, "tools", "demo-site", "server.py"),
             "--port", "0", "--port-file", port_file, *extra],
            stdout=subprocess.DEVNULL, stderr=self._log)
        wait_for(lambda: os.path.exists(port_file) or self.process.poll() is not None, 20,
                 "the demo site to start")
        if self.process.poll() is not None:
            raise AssertionError("the demo site did not start: " + self.log())
        with open(port_file, encoding="ascii") as f:
            self.base = "http://127.0.0.1:%d" % int(f.read())

    def log(self):
        with open(self.log_path, encoding="utf-8", errors="replace") as f:
            return f.read()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=10)
        self._log.close()
        shutil.rmtree(self.folder, ignore_errors=True)


class VersionServer:
    """Answers the version request with `reply`, but only once release() was
    called; until then the launcher waits for the answer (it sets no read
    time-out), so the test can look at the screen meanwhile."""

    def __init__(self, reply="0"):
        self.requests = []
        self.released = threading.Event()
        owner = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def do_GET(self):
                owner.requests.append(self.path)
                owner.released.wait(120)
                body = reply.encode()
                self.send_response(200)
                self.send_header("Content-Length", str(len(body)))
                self.send_header("Connection", "close")
                self.end_headers()
                self.wfile.write(body)

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.server.daemon_threads = True
        self.base = "http://127.0.0.1:%d" % self.server.server_address[1]
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def release(self):
        self.released.set()

    def stop(self):
        self.released.set()
        self.server.shutdown()
        self.server.server_close()


def closed_port_address():
    """A loopback address where nothing listens (connections are refused)."""
    import socket
    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.close()
    return "http://127.0.0.1:%d" % port


class PageServer:
    """The scripted test server with HTML pages at given paths, every request logged."""

    def __init__(self, pages):
        import json
        self.folder = tempfile.mkdtemp(prefix="kv-pages-", dir=OUTPUT)
        self.request_log = os.path.join(self.folder, "requests.jsonl")
        script = os.path.join(self.folder, "script.json")
        routes = {path: {"body": body, "headers": {"Content-Type": "text/html; charset=utf-8"}}
                  for path, body in pages.items()}
        routes["/getClientVersion.php"] = {"body": "0"}
        with open(script, "w", encoding="utf-8") as f:
            json.dump({"routes": routes}, f)
        self.process = subprocess.Popen(
            [sys.executable, "-u", os.path.join(SOURCE_DIR, "tests", "support",
                                                "scripted_http_server.py"),
             "--script", script, "--request-log", self.request_log],
            stdout=subprocess.PIPE, text=True)
        line = self.process.stdout.readline()
        if not line.startswith("PORT "):
            raise AssertionError("the page server did not start: %r" % line)
        self.base = "http://127.0.0.1:%d" % int(line.split()[1])

    def targets(self):
        import json
        if not os.path.exists(self.request_log):
            return []
        with open(self.request_log, encoding="utf-8") as f:
            return [json.loads(line)["target"] for line in f if line.strip()]

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=10)
        self.process.stdout.close()
        shutil.rmtree(self.folder, ignore_errors=True)


class Launcher:
    """The launcher under test, started as the player starts it (argument "1")
    in `sandbox`, with the login page and the update server at the given
    addresses. Its output is kept in a file."""

    def __init__(self, sandbox, login_url, update_url, binary=None):
        env = dict(sandbox.env)
        env.update(KORVANE_LOGIN_URL=login_url, KORVANE_UPDATE_URL=update_url,
                   GDK_BACKEND="x11")
        self.output_path = os.path.join(sandbox.root, "launcher.out")
        self._output = open(self.output_path, "wb")
        self.started = time.monotonic()
        self.process = subprocess.Popen([binary or kvtest.KORVANE_BIN, "1"], env=env,
                                        stdin=subprocess.DEVNULL, stdout=self._output,
                                        stderr=subprocess.STDOUT)

    def output(self):
        with open(self.output_path, encoding="utf-8", errors="replace") as f:
            return f.read()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self._output.close()


class Window:
    def __init__(self, wid, name, x, y, width, height):
        self.id, self.name = wid, name
        self.x, self.y, self.width, self.height = x, y, width, height

    @property
    def size(self):
        return (self.width, self.height)

    def __repr__(self):
        return "Window(%s %r %d,%d %dx%d)" % (self.id, self.name, self.x, self.y, self.width,
                                             self.height)


def visible_windows():
    """Every viewable window with a name property, read back from the X server."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", ""],
                           capture_output=True, text=True).stdout.split()
    result = []
    for wid in found:
        geometry = subprocess.run(["xdotool", "getwindowgeometry", wid], capture_output=True,
                                  text=True).stdout
        name = subprocess.run(["xdotool", "getwindowname", wid], capture_output=True,
                              text=True).stdout.rstrip("\n")
        position = re.search(r"Position: (-?\d+),(-?\d+)", geometry)
        size = re.search(r"Geometry: (\d+)x(\d+)", geometry)
        if position and size:
            result.append(Window(wid, name, int(position.group(1)), int(position.group(2)),
                                 int(size.group(1)), int(size.group(2))))
    return result


def windows():
    """The launcher's windows by kind: "login", "popup", "main" (each None when
    not on screen). The main window is the caption's window of any other size."""
    found = {"login": None, "popup": None, "main": None}
    for window in visible_windows():
        if window.size == LOGIN_SIZE and window.name == CAPTION:
            found["login"] = window
        elif window.size == POPUP_SIZE:
            found["popup"] = window
        elif window.name == CAPTION and window.width > 100:
            found["main"] = window
    return found


def wait_for_login_windows(timeout=30):
    def both():
        found = windows()
        return found if found["login"] and found["popup"] else None
    return wait_for(both, timeout, "the login window and its pop-up")


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True, capture_output=True)


def type_text(text):
    xdotool("type", "--delay", "60", text)


def key(*names):
    for name in names:
        xdotool("key", name)


def focus_popup(popup):
    """Clicks the pop-up's band above the page (no control there), which makes
    it the active window."""
    # Not --sync: it waits for a motion that never comes when the pointer is there already.
    xdotool("mousemove", str(popup.x + 300), str(popup.y + 20))
    time.sleep(0.1)
    xdotool("click", "1")
    time.sleep(0.2)


def read_bmp(path):
    """(width, height, rows of (r, g, b)) of a 24-bit bottom-up BMP file."""
    with open(path, "rb") as f:
        data = f.read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height = struct.unpack_from("<ii", data, 18)
    stride = (width * 3 + 3) & ~3
    rows = []
    for row in range(abs(height)):
        stored = height - 1 - row if height > 0 else row
        start = offset + stored * stride
        rows.append([(data[start + 3 * x + 2], data[start + 3 * x + 1], data[start + 3 * x])
                     for x in range(width)])
    return width, height, rows


_BACKGROUND = None


def popup_background():
    global _BACKGROUND
    if _BACKGROUND is None:
        _BACKGROUND = read_bmp(os.path.join(SOURCE_DIR, "res", "bitmap", "318.bmp"))[2]
    return _BACKGROUND


class Screen(Screenshot):
    """The whole screen, saved under `name` in the test output folder."""

    def difference_from_background(self, popup, step=12):
        """Mean difference per channel between the pop-up's page area on screen
        and the pop-up's own background there: small while the page is
        collapsed (only the 250/255 opacity mixes in the skin), large once the
        page shows."""
        background = popup_background()
        left, top, width, height = PAGE_AREA
        total = count = 0
        for y in range(top + 2, top + height - 2, step):
            for x in range(left + 2, left + width - 2, step):
                shown = self.pixel(popup.x + x, popup.y + y)
                own = background[y][x]
                total += sum(abs(a - b) for a, b in zip(shown, own)) / 3
                count += 1
        return total / count


def wait_for_game_drawn(main, timeout=30, name="game-in-main-window.png"):
    """Waits until the main window's page area (below its 30-pixel title strip)
    shows a drawn page rather than a blank fill; returns that screenshot."""
    def drawn():
        screen = Screen(name)
        colours = set()
        for y in range(main.y + 40, main.y + main.height - 10, 23):
            for x in range(main.x + 10, main.x + main.width - 10, 23):
                colours.add(screen.pixel(x, y))
        return screen if len(colours) > 50 else None
    return wait_for(drawn, timeout, "the game page to be drawn in the main window")


def wait_for_page_shown(popup, timeout=30, name="page-shown.png"):
    """Waits until the pop-up shows the page; returns that screenshot."""
    def shown():
        screen = Screen(name)
        return screen if screen.difference_from_background(popup) > 8 else None
    return wait_for(shown, timeout, "the login page to show in the pop-up")


def log_in(popup, account=ACCOUNT, password=PASSWORD):
    """Types the account and password into the login page and submits it."""
    focus_popup(popup)
    key("Tab")  # into the page's first field
    type_text(account)
    key("Tab")
    type_text(password)
    key("Return")


def wait_for_main_window(timeout=30):
    def main_only():
        found = windows()
        if found["main"] and not found["login"] and not found["popup"]:
            return found["main"]
        return None
    return wait_for(main_only, timeout, "the main window alone")
