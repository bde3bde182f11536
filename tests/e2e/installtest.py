"""Helpers of the installation and uninstallation end-to-end tests.

InstallSandbox   kvtest's sandboxed home with a desktop folder and the places
                 the installation writes to (shortcuts, entry, profile copy)
snapshot         every file and folder below a root, to tell what a run changed
read_desktop     the [Desktop Entry] group of a shortcut
validate         desktop-file-validate's verdict on a shortcut
read_trash       what the freedesktop trash of a data home holds, checked
read_profile     a private-profile (INI) file as the launcher reads it

The setup is run by the installation test driver (KORVANE_SETUP_DRIVER, and
KORVANE_SETUP_DRIVER_NEXT with a higher version), built under the launcher's
file name "korvane"; the uninstall stages by the launcher itself (KORVANE_BIN).
"""

import configparser
import datetime
import hashlib
import os
import shutil
import stat
import subprocess
import time
import urllib.parse

import kvtest

SETUP_DRIVER = os.environ.get("KORVANE_SETUP_DRIVER", "")
SETUP_DRIVER_NEXT = os.environ.get("KORVANE_SETUP_DRIVER_NEXT", "")
SOURCE_DIR = os.environ.get("KORVANE_SOURCE_DIR", "")

PROFILE_ROOT = "应用程序向导生成的本地应用程序"
DESKTOP_LINK = "《Korvane》.desktop"
PROGRAM_LINK = "Korvane.desktop"
UNINSTALL_LINK = "卸载-Korvane.desktop"
UNINSTALL_COPY = "q7kovrtmpu.exe"  # string 120, in the cache folder
ENTRY_KEYS = ["Path", "DisplayName", "Publisher", "UninstallString"]


def require_drivers(test_case):
    for name, value in (("KORVANE_SETUP_DRIVER", SETUP_DRIVER),
                        ("KORVANE_SETUP_DRIVER_NEXT", SETUP_DRIVER_NEXT),
                        ("KORVANE_BIN", kvtest.KORVANE_BIN)):
        if not value or not os.access(value, os.X_OK):
            test_case.fail("%s does not name an executable: %r" % (name, value))
    for tool in ("desktop-file-validate", "gio"):
        if shutil.which(tool) is None:
            test_case.fail("%s is not installed (tools/deps.sh test installs it)" % tool)


class InstallSandbox(kvtest.Sandbox):
    """A sandboxed home as a user who has a desktop folder has it."""

    def __init__(self, label="install"):
        super().__init__(label)
        self.desktop = os.path.join(self.home, "Desktop")
        os.makedirs(self.desktop)
        self.menu_parent = os.path.join(self.data_home, "applications", "Korvane")
        self.menu = os.path.join(self.menu_parent, "Korvane")
        self.installed = os.path.join(self.program_folder, "korvane")
        self.entry = os.path.join(self.config_dirs, kvtest.PUBLISHER_FOLDER, "uninstall",
                                  "VexaKorvane")
        self.profile = os.path.join(self.config_home, PROFILE_ROOT, "korvane", "profile.ini")
        self.trash = os.path.join(self.data_home, "Trash")

    def place(self, binary, *relative):
        """A copy of `binary` at <sandbox>/<relative...>, executable."""
        return self.copy_executable(binary, os.path.join(self.root, *relative))

    def run_setup(self, program, env=None):
        result = kvtest.run(program, [], env or self.env, timeout=60)
        if result.code != 0:
            raise AssertionError("setup run failed: %r" % result)
        return result

    def relative(self, path):
        return os.path.relpath(path, self.root)


def sha256_of(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def snapshot(root):
    """{relative path: (kind, inode, modification ns, mode, content digest)} of
    everything below `root`; folders carry no time (adding an entry changes it)."""
    state = {}
    for folder, folders, files in os.walk(root):
        for name in folders + files:
            path = os.path.join(folder, name)
            info = os.lstat(path)
            relative = os.path.relpath(path, root)
            if stat.S_ISDIR(info.st_mode):
                state[relative] = ("folder", info.st_ino, 0, stat.S_IMODE(info.st_mode), "")
            else:
                state[relative] = ("file", info.st_ino, info.st_mtime_ns,
                                   stat.S_IMODE(info.st_mode), sha256_of(path))
    return state


def changed_paths(before, after):
    """Paths added, removed or changed between two snapshots, sorted."""
    return sorted(path for path in set(before) | set(after)
                  if before.get(path) != after.get(path))


def read_desktop(path):
    """The key/value pairs of the [Desktop Entry] group, in file order, with
    the raw (escaped) values."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    if lines[0] != "[Desktop Entry]" or lines[-1] != "":
        raise AssertionError("not a desktop entry: %r" % lines)
    pairs = []
    for line in lines[1:-1]:
        key, _, value = line.partition("=")
        pairs.append((key, value))
    return pairs


def validate(path):
    """(exit code, remarks) of desktop-file-validate on `path`."""
    done = subprocess.run(["desktop-file-validate", path], capture_output=True, text=True)
    return done.returncode, done.stdout + done.stderr


def read_profile(path):
    """Sections and keys of an INI file, keys in file order."""
    parser = configparser.ConfigParser(interpolation=None, strict=False)
    parser.optionxform = str
    with open(path, encoding="utf-8") as f:
        parser.read_file(f)
    return {section: list(parser[section].items()) for section in parser.sections()}


def read_trash(trash):
    """{original path: trashed path} of a freedesktop trash folder. Each item
    in files/ must have its .trashinfo in info/ with an absolute, URL-escaped
    Path and a DeletionDate, and each info file its item."""
    files = os.path.join(trash, "files")
    info = os.path.join(trash, "info")
    if not os.path.isdir(files):
        return {}
    items = sorted(os.listdir(files))
    infos = sorted(name[:-len(".trashinfo")] for name in os.listdir(info))
    if items != infos:
        raise AssertionError("trash items %r and info files %r differ" % (items, infos))
    contents = {}
    for name in items:
        with open(os.path.join(info, name + ".trashinfo"), encoding="utf-8") as f:
            lines = f.read().split("\n")
        if lines[0] != "[Trash Info]":
            raise AssertionError("bad trash info for %s: %r" % (name, lines))
        values = dict(line.split("=", 1) for line in lines[1:] if line)
        original = urllib.parse.unquote(values["Path"])
        if not original.startswith("/"):
            raise AssertionError("trash info path is not absolute: %r" % values["Path"])
        datetime.datetime.strptime(values["DeletionDate"], "%Y-%m-%dT%H:%M:%S")
        contents[original] = os.path.join(files, name)
    return contents


def find_window(name, timeout=30.0):
    """The id of the first visible window whose name matches the regular
    expression `name`, waiting for it to appear."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name],
                               capture_output=True, text=True)
        ids = found.stdout.split()
        if found.returncode == 0 and ids:
            return ids[0]
        time.sleep(0.05)
    raise AssertionError("no window named %r appeared" % name)


def press_key(window, key):
    """Gives `window` the focus and presses `key` (an xdotool key name) there."""
    subprocess.run(["xdotool", "windowactivate", "--sync", window], capture_output=True)
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True, capture_output=True)
    subprocess.run(["xdotool", "key", "--clearmodifiers", key], check=True, capture_output=True)
