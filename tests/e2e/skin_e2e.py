"""Helpers of the end-to-end tests of the skinned windows: the UI test driver,
X server queries (xdotool, xwininfo), screenshots and their pixels."""

import os
import queue
import re
import subprocess
import tempfile
import threading
import time

DRIVER = os.environ.get("KORVANE_UI_DRIVER", "")
OUTPUT = os.environ.get("KORVANE_TEST_OUTPUT", tempfile.gettempdir())
SOURCE = os.environ.get("KORVANE_SOURCE_DIR", ".")


def wait_for(predicate, timeout=20.0, what="condition"):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError("timed out waiting for " + what)


def private_home_env(root, extra=None):
    """The environment with HOME and the XDG folders inside `root` (made here),
    so a program started with it never reads or writes the real home."""
    env = dict(os.environ)
    folders = {"HOME": "home", "XDG_DATA_HOME": "data", "XDG_CACHE_HOME": "cache",
               "XDG_CONFIG_HOME": "config", "XDG_CONFIG_DIRS": "etc-xdg"}
    for variable, name in folders.items():
        env[variable] = os.path.join(root, name)
        os.makedirs(env[variable], exist_ok=True)
    env.update(extra or {})
    return env


class Driver:
    """korvane-ui-driver in a private home; its output lines are collected."""

    def __init__(self, *args, env=None):
        self.home = tempfile.TemporaryDirectory(prefix="korvane-ui-")
        full_env = private_home_env(self.home.name, env)
        self.lines = queue.Queue()
        self.seen = []
        self.process = subprocess.Popen(
            [DRIVER, *args], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, env=full_env)
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for raw in self.process.stdout:
            self.lines.put(raw.decode("utf-8", "replace").rstrip("\n"))

    def _drain(self):
        while True:
            try:
                self.seen.append(self.lines.get_nowait())
            except queue.Empty:
                return

    def wait_line(self, pattern, timeout=20.0):
        regex = re.compile(pattern)

        def found():
            self._drain()
            for line in self.seen:
                if regex.search(line):
                    return line
            return None

        return wait_for(found, timeout, "output line matching %r (got %r)" % (pattern, self.seen))

    def output(self):
        self._drain()
        return list(self.seen)

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.reader.join(5)
        self.process.stdout.close()
        self.home.cleanup()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True).stdout


def visible_windows(name):
    """Ids of the visible windows whose name matches `name` (a regex)."""
    result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name],
                            capture_output=True, text=True)
    return [int(line) for line in result.stdout.split()]


def find_window(name, timeout=20.0):
    """The id of the visible window whose name matches `name` (a regex)."""
    return wait_for(lambda: (visible_windows(name) or [None])[-1], timeout, "window " + name)


def geometry(window):
    """(x, y, width, height) of a window on the screen, read back from the X server."""
    info = run("xwininfo", "-id", str(window))
    values = {}
    for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"):
        values[key] = int(re.search(key + r":\s+(-?\d+)", info).group(1))
    return (values["Absolute upper-left X"], values["Absolute upper-left Y"], values["Width"],
            values["Height"])


def click(x, y, button=1, repeat=1):
    run("xdotool", "mousemove", "--sync", str(x), str(y))
    time.sleep(0.1)
    run("xdotool", "click", "--repeat", str(repeat), "--delay", "80", str(button))


def key(name):
    run("xdotool", "key", name)


class Screenshot:
    """The whole screen, saved as PNG and readable pixel by pixel."""

    def __init__(self, name):
        self.path = os.path.join(OUTPUT, name)
        run("import", "-window", "root", self.path)
        raw = subprocess.run(["convert", self.path, "-depth", "8", "ppm:-"], check=True,
                             capture_output=True).stdout
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", raw)
        self.width, self.height = int(header.group(1)), int(header.group(2))
        self.data = raw[header.end():]

    def pixel(self, x, y):
        at = (y * self.width + x) * 3
        return tuple(self.data[at:at + 3])

    def colours(self, x, y, width, height, step=1):
        seen = set()
        for yy in range(y, y + height, step):
            for xx in range(x, x + width, step):
                seen.add(self.pixel(xx, yy))
        return seen

    def dark_share(self, x, y, width, height, limit=8):
        """Share of pixels in the area darker than `limit` on every channel."""
        dark = total = 0
        for yy in range(y, y + height):
            for xx in range(x, x + width):
                total += 1
                dark += all(c < limit for c in self.pixel(xx, yy))
        return dark / total


def near(actual, expected, tolerance=3):
    return all(abs(a - e) <= tolerance for a, e in zip(actual, expected))


def compositor_running():
    return os.environ.get("KORVANE_NO_COMPOSITOR", "0") != "1"


def rerun_without_compositor(script):
    """Runs `script` again on an X server of its own without a compositing manager."""
    env = dict(os.environ)
    env["KORVANE_NO_COMPOSITOR"] = "1"
    subprocess.run([os.path.join(SOURCE, "tools", "with-display.sh"), "python3", "-u", script],
                   env=env, check=True)
