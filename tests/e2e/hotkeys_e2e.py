"""Pieces shared by the end-to-end tests of the main window's hotkeys and cache
clearing: a private data home with a settings file, another application's
window to take the focus, and the launcher's debug trace."""

import os
import re
import shutil
import subprocess
import tempfile

from mainwnd_e2e import run, wait_for

# The settings file as first-start setup writes it.
SHIPPED_SETTINGS = ("[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nsoundoff=0\r\n"
                    "autostart=0\r\nautologin=0\r\nscreenshots=Ctrl+Shift+A\r\n"
                    "screentoggle=F10\r\nfullscreen=F11\r\n[Start]\r\nfirststart=1\r\n")


class PrivateHome:
    """XDG data, cache and config folders of the test's own, so the launcher's
    program folder (settings, web data, web cache) lands below a temporary
    folder. Programs started afterwards inherit it; debug traces are on."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="korvane-e2e-home-")
        for name in ("data", "cache", "config"):
            os.makedirs(os.path.join(self.root, name))
        os.environ.update(XDG_DATA_HOME=os.path.join(self.root, "data"),
                          XDG_CACHE_HOME=os.path.join(self.root, "cache"),
                          XDG_CONFIG_HOME=os.path.join(self.root, "config"),
                          G_MESSAGES_DEBUG="korvane")
        self.program_folder = os.path.join(self.root, "data", "rozovizo_7", "kovr")
        self.settings = os.path.join(self.program_folder, "res", "systemset.ini")
        self.web_cache = os.path.join(self.program_folder, "webcache")
        self.web_data = os.path.join(self.program_folder, "webdata")

    def write_settings(self, text):
        os.makedirs(os.path.dirname(self.settings), exist_ok=True)
        with open(self.settings, "wb") as out:
            out.write(text.encode("ascii"))

    def stop(self):
        shutil.rmtree(self.root, ignore_errors=True)


def traces(path):
    """The launcher's debug trace lines in its output (GLib writes the log domain
    "korvane" at debug level to the standard output)."""
    marker = re.compile(r"korvane-DEBUG: (?:\d\d:\d\d:\d\d\.\d+: )?(.*)$")
    with open(path, encoding="utf-8", errors="replace") as log:
        return [m.group(1) for m in map(marker.search, log.read().splitlines()) if m]


class OtherWindow:
    """A window of another program that can take the focus."""

    def __init__(self):
        self.process = subprocess.Popen(
            ["xmessage", "-geometry", "300x120+60+60", "-name", "korvaneother", "another program"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.window = int(wait_for(lambda: run("xdotool", "search", "--onlyvisible", "--classname",
                                               "korvaneother", check_status=False).split(),
                                   10, "the other program's window")[0])

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)


def active_window():
    text = run("xdotool", "getactivewindow", check_status=False).strip()
    return int(text) if text.isdigit() else None


def activate(window):
    run("xdotool", "windowactivate", "--sync", str(window))
    wait_for(lambda: active_window() == window, 10, "window %d to be active" % window)
