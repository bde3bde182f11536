"""Shared helpers of the end-to-end tests.

Sandbox      a private HOME and XDG folders, the launcher's program folder in it
read_log     the run log "update.log", checked byte for byte and parsed
run          one run of a program with its output kept in files
Subreaper    finds (and cleans up) processes a launcher starts and leaves behind
version_of   the version record compiled into a launcher executable

The binaries under test come from the environment that ctest sets:
KORVANE_BIN (the launcher) and KORVANE_NEXT_BIN (the same program with a
higher version, used as the downloaded update).
"""

import ctypes
import datetime
import errno
import fcntl
import hashlib
import os
import re
import shutil
import signal
import subprocess
import tempfile
import threading
import time

KORVANE_BIN = os.environ.get("KORVANE_BIN", "")
KORVANE_NEXT_BIN = os.environ.get("KORVANE_NEXT_BIN", "")
TEST_OUTPUT = os.environ.get("KORVANE_TEST_OUTPUT", tempfile.gettempdir())

PUBLISHER_FOLDER = "rozovizo_7"  # string 124
GAME_CODE = "kovr"               # string 117
UPDATE_TEMP_NAME = "q7kovrtmp.exe"  # string 118, in the cache folder


def require_binaries(test_case):
    """Skips nothing silently: a test run without the binaries is a failure."""
    for name, value in (("KORVANE_BIN", KORVANE_BIN), ("KORVANE_NEXT_BIN", KORVANE_NEXT_BIN)):
        if not value or not os.access(value, os.X_OK):
            test_case.fail("%s does not name an executable: %r" % (name, value))


def md5_of(path):
    digest = hashlib.md5()
    with open(path, "rb") as f:
        for piece in iter(lambda: f.read(1 << 20), b""):
            digest.update(piece)
    return digest.hexdigest()


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def version_of(path):
    """The version record's name/value pairs. The record is found by its magic
    bytes followed by a translation list (the magic alone also occurs in the
    reader's own code)."""
    data = read_bytes(path)
    magic = b"KVVERSION1\0"
    start = data.find(magic)
    while start >= 0:
        fields = data[start + len(magic):start + len(magic) + 65536].split(b"\0")
        record = {}
        for name, value in zip(fields[0::2], fields[1::2]):
            if not name:
                break
            record[name.decode(errors="replace")] = value.decode(errors="replace")
        if "Translation" in record:
            return record
        start = data.find(magic, start + 1)
    return {}


def file_version_of(path):
    """FileVersion of every translation, run together, as the launcher reads it."""
    record = version_of(path)
    return "".join(record.get(pair + "/FileVersion", "")
                   for pair in record.get("Translation", "").split())


class Sandbox:
    """A private per-user home. The launcher finds its per-user application
    data folder through XDG_DATA_HOME, so everything it writes lands here.
    `label` ends up in the folder name; give it a blank to test paths with blanks."""

    def __init__(self, label="sandbox"):
        os.makedirs(TEST_OUTPUT, exist_ok=True)
        self.root = tempfile.mkdtemp(prefix="kv-%s-" % label, dir=TEST_OUTPUT)
        self.home = os.path.join(self.root, "home")
        self.data_home = os.path.join(self.root, "data")
        self.config_home = os.path.join(self.root, "config")
        self.cache_home = os.path.join(self.root, "xdg-cache")
        self.config_dirs = os.path.join(self.root, "etc-xdg")
        for folder in (self.home, self.data_home, self.config_home, self.cache_home,
                       self.config_dirs):
            os.makedirs(folder)
        self.program_folder = os.path.join(self.data_home, PUBLISHER_FOLDER, GAME_CODE)
        self.res_folder = os.path.join(self.program_folder, "res")
        self.log_path = os.path.join(self.res_folder, "update.log")
        self.cache_folder = os.path.join(self.data_home, "cache")
        self.env = dict(os.environ)
        self.env.update(HOME=self.home, XDG_DATA_HOME=self.data_home,
                        XDG_CONFIG_HOME=self.config_home, XDG_CACHE_HOME=self.cache_home,
                        XDG_CONFIG_DIRS=self.config_dirs)
        # An ordinary launch loads the login page and asks the update server;
        # the built-in addresses name the demo site's usual port, so a test that
        # starts none of its own points them where nothing answers.
        self.env.update(KORVANE_LOGIN_URL="http://127.0.0.1:9/login/lorvik/gy",
                        KORVANE_UPDATE_URL="http://127.0.0.1:9")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.cleanup()

    def cleanup(self):
        shutil.rmtree(self.root, ignore_errors=True)

    def make_program_folder(self):
        """The program folder with its res sub-folder, as an installation leaves them."""
        os.makedirs(self.res_folder, exist_ok=True)
        return self.program_folder

    def copy_executable(self, binary, destination):
        os.makedirs(os.path.dirname(destination), exist_ok=True)
        shutil.copyfile(binary, destination)
        os.chmod(destination, 0o755)
        return destination

    def install(self, binary, name="korvane"):
        """An installed copy of `binary` in the program folder."""
        self.make_program_folder()
        return self.copy_executable(binary, os.path.join(self.program_folder, name))

    def place_download(self, binary):
        """`binary` where the update download leaves it: <data>/cache/q7kovrtmp.exe."""
        return self.copy_executable(binary, os.path.join(self.cache_folder, UPDATE_TEMP_NAME))

    def read_log(self):
        return read_log(self.log_path)


# One line of the run log: "%2d-%2d-%2d %2d:%2d:%2d : \tUpdateModule\t<message>".
# Each field below 10 is padded with a blank, never with a zero.
_TWO = r"( \d|[1-9]\d)"
LOG_LINE = re.compile(r"(\d{4})-%s-%s %s:%s:%s : \tUpdateModule\t(.*)" % ((_TWO,) * 5),
                      re.DOTALL)


class LogLine:
    def __init__(self, text):
        match = LOG_LINE.fullmatch(text)
        if match is None:
            raise AssertionError("malformed log line: %r" % text)
        self.text = text
        self.stamp = datetime.datetime(*(int(field) for field in match.groups()[:6]))
        self.message = match.group(7)

    def __repr__(self):
        return "LogLine(%r)" % self.text


def encode_log_line(text):
    """The bytes the launcher stores for one line of text (without the stamp added)."""
    return (text + "\r\n").encode("utf-16-le")


def read_log(path):
    """The run log's lines, after checking the file's encoding: UTF-16
    little-endian, no byte-order mark, every line ended by CR LF."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) % 2:
        raise AssertionError("odd number of bytes in a UTF-16 log: %d" % len(data))
    if data.startswith(b"\xff\xfe"):
        raise AssertionError("the log starts with a byte-order mark")
    if data and not data.endswith(b"\r\0\n\0"):
        raise AssertionError("the log does not end with CR LF: %r" % data[-8:])
    text = data.decode("utf-16-le")
    return [LogLine(line) for line in text.split("\r\n")[:-1]]


class Run:
    """Outcome of `run`: exit code (None while still running), output texts."""

    def __init__(self, code, stdout, stderr):
        self.code, self.stdout, self.stderr = code, stdout, stderr

    def __repr__(self):
        return "Run(code=%r, stdout=%r, stderr=%r)" % (self.code, self.stdout, self.stderr)


def run(program, args, env, timeout=30, grace=None):
    """Runs `program` with `args` and waits up to `timeout` seconds. Output goes
    to files, not pipes, so processes it starts and leaves running cannot keep
    the wait open. With `grace`, a program still running after that many seconds
    is not a failure: it is stopped and reported with code None."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        process = subprocess.Popen([program, *args], env=env, stdin=subprocess.DEVNULL,
                                   stdout=out, stderr=err)
        try:
            code = process.wait(timeout=grace if grace is not None else timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            if grace is None:
                raise
            code = None
        out.seek(0)
        err.seek(0)
        return Run(code, out.read().decode(errors="replace"), err.read().decode(errors="replace"))


class Adopted:
    """A process that was started by a child of ours and outlived it."""

    def __init__(self, pid, comm, exe, argv, zombie):
        self.pid, self.comm, self.exe, self.argv, self.zombie = pid, comm, exe, argv, zombie

    def __repr__(self):
        return "Adopted(pid=%d, comm=%r, exe=%r, argv=%r, zombie=%r)" % (
            self.pid, self.comm, self.exe, self.argv, self.zombie)


class Subreaper:
    """Makes this process the reaper of its orphaned descendants (Linux
    PR_SET_CHILD_SUBREAPER): a process that the launcher starts and then leaves
    behind becomes our child, alive or as a zombie, so a test can see that it
    was started, what it runs, and clean it up, without any sleep or race."""

    PR_SET_CHILD_SUBREAPER = 36

    def __init__(self):
        libc = ctypes.CDLL(None, use_errno=True)
        if libc.prctl(self.PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
            raise OSError(ctypes.get_errno(), "prctl(PR_SET_CHILD_SUBREAPER)")
        self.known = set()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop_all()

    def ignore(self, pid):
        """A direct child of our own that is not to be reported as adopted."""
        self.known.add(pid)

    def children(self):
        """Every current child process (alive or zombie) not marked with ignore()."""
        me = os.getpid()
        found = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit() or int(entry) in self.known:
                continue
            info = _process_info(int(entry))
            if info is not None and info[1] == me:
                found.append(int(entry))
        return found

    def describe(self, pid):
        info = _process_info(pid)
        if info is None:
            return None
        comm, _, state = info
        try:
            exe = os.readlink("/proc/%d/exe" % pid)
        except OSError:
            exe = None
        try:
            with open("/proc/%d/cmdline" % pid, "rb") as f:
                argv = [a.decode(errors="replace") for a in f.read().split(b"\0")[:-1]]
        except OSError:
            argv = None
        return Adopted(pid, comm, exe, argv, state == "Z")

    def wait_for_adopted(self, timeout=30):
        """The first adopted process to appear, described while it is still alive
        when possible; None when none appears within `timeout` seconds."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for pid in self.children():
                described = self.describe(pid)
                if described is not None:
                    return described
            time.sleep(0.01)
        return None

    def reap(self, pid, timeout=10):
        """Waits for an adopted process to end; returns its exit code (negative: signal)."""
        deadline = time.monotonic() + timeout
        while True:
            done, status = os.waitpid(pid, os.WNOHANG)
            if done == pid:
                return os.waitstatus_to_exitcode(status)
            if time.monotonic() > deadline:
                os.kill(pid, signal.SIGKILL)
                _, status = os.waitpid(pid, 0)
                return os.waitstatus_to_exitcode(status)
            time.sleep(0.01)

    def stop_all(self):
        """Ends and reaps every adopted process still around."""
        for pid in self.children():
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            self.reap(pid, timeout=5)


def _process_info(pid):
    """(comm, parent pid, state) from /proc/<pid>/stat, or None if it is gone."""
    try:
        with open("/proc/%d/stat" % pid, "rb") as f:
            stat = f.read().decode(errors="replace")
    except OSError:
        return None
    # comm is in parentheses and may itself hold blanks or parentheses.
    comm = stat[stat.index("(") + 1:stat.rindex(")")]
    fields = stat[stat.rindex(")") + 2:].split()
    return comm, int(fields[1]), fields[0]


class StalledOutput:
    """A pipe whose buffer is full, to hand to a process as stdout and stderr:
    the first write the process makes blocks until release() drains the pipe.
    It keeps a process that reports something alive long enough to be looked
    at; a process that writes nothing is not affected."""

    F_SETPIPE_SZ = 1031

    def __init__(self):
        self.read_end, self.write_end = os.pipe()
        fcntl.fcntl(self.write_end, self.F_SETPIPE_SZ, 4096)
        flags = fcntl.fcntl(self.write_end, fcntl.F_GETFL)
        fcntl.fcntl(self.write_end, fcntl.F_SETFL, flags | os.O_NONBLOCK)
        self._filler = 0
        try:
            while True:
                self._filler += os.write(self.write_end, b"\0" * 4096)
        except BlockingIOError:
            pass
        fcntl.fcntl(self.write_end, fcntl.F_SETFL, flags)
        self.captured = bytearray()
        self._drain = None

    def release(self):
        """Lets writers go on; what they write is collected in `captured`."""
        os.close(self.write_end)
        self.write_end = None

        def drain():
            while True:
                piece = os.read(self.read_end, 65536)
                if not piece:
                    break
                skip = min(self._filler, len(piece))
                self._filler -= skip
                self.captured += piece[skip:]

        self._drain = threading.Thread(target=drain, daemon=True)
        self._drain.start()

    def close(self, timeout=10):
        if self.write_end is not None:
            self.release()
        self._drain.join(timeout)
        if not self._drain.is_alive():
            os.close(self.read_end)

    def text(self):
        return bytes(self.captured).decode(errors="replace")


def errno_name(code):
    return errno.errorcode.get(code, str(code))
