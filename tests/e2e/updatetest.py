"""Helpers for end-to-end tests of the self-update: a sandboxed data home, the
scripted update server, the run log, and a watch over every process that an
update attempt starts (the hand-over process and the installed copy it starts
are not our children, so the test adopts them as a child subreaper)."""

import ctypes
import json
import os
import shutil
import signal
import socket
import subprocess
import tempfile
import time

SOURCE_DIR = os.environ.get(
    "KORVANE_SOURCE_DIR", os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
)
SERVER_SCRIPT = os.path.join(SOURCE_DIR, "tests", "support", "scripted_http_server.py")
VERSION_PATH = "/getClientVersion.php"
VERSION_QUERY = VERSION_PATH + "?p=vexagame&g=kovr&v="
SEPARATOR = "====================="
PROXY_VARIABLES = ("http_proxy", "https_proxy", "all_proxy")


class Sandbox:
    """A temporary HOME with its XDG folders; env() is an environment using it."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="kv-update-e2e-")
        self.home = os.path.join(self.root, "home")
        self.data_home = os.path.join(self.home, ".local", "share")
        for folder in (self.data_home, os.path.join(self.home, ".config"),
                       os.path.join(self.home, ".cache"), os.path.join(self.root, "etc-xdg")):
            os.makedirs(folder)
        self.program_folder = os.path.join(self.data_home, "rozovizo_7", "kovr")
        self.run_log = os.path.join(self.program_folder, "res", "update.log")
        self.temp_exe = os.path.join(self.data_home, "cache", "q7kovrtmp.exe")

    def env(self, **extra):
        # Without the proxy variables, so that a machine's proxy cannot take the
        # requests meant for the loopback update server.
        env = {name: value for name, value in os.environ.items()
               if name.lower() not in PROXY_VARIABLES}
        env.update(HOME=self.home, XDG_DATA_HOME=self.data_home,
                   XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                   XDG_CACHE_HOME=os.path.join(self.home, ".cache"),
                   XDG_CONFIG_DIRS=os.path.join(self.root, "etc-xdg"))
        env.update(extra)
        return env

    def install(self, executable):
        """Copies `executable` into the program folder, with its res/ folder, as
        the installed launcher; returns the installed path."""
        os.makedirs(os.path.join(self.program_folder, "res"), exist_ok=True)
        installed = os.path.join(self.program_folder, os.path.basename(executable))
        shutil.copy2(executable, installed)
        return installed

    def remove(self):
        shutil.rmtree(self.root, ignore_errors=True)


class UpdateServer:
    """tests/support/scripted_http_server.py on a loopback ephemeral port."""

    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix="kv-update-server-")
        self.script = os.path.join(self.folder, "script.json")
        self.request_log = os.path.join(self.folder, "requests.jsonl")
        self.set_routes({})
        self.process = subprocess.Popen(
            ["python3", "-u", SERVER_SCRIPT, "--script", self.script,
             "--request-log", self.request_log],
            stdout=subprocess.PIPE, text=True)
        line = self.process.stdout.readline()
        if not line.startswith("PORT "):
            self.stop()
            raise RuntimeError("the update server did not start: %r" % line)
        self.base = "http://127.0.0.1:%d" % int(line.split()[1])

    def set_routes(self, routes):
        temporary = self.script + ".tmp"
        with open(temporary, "w", encoding="utf-8") as stream:
            json.dump({"routes": routes}, stream)
        os.replace(temporary, self.script)

    def requests(self):
        if not os.path.exists(self.request_log):
            return []
        with open(self.request_log, encoding="utf-8") as stream:
            return [json.loads(line) for line in stream if line.strip()]

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=10)
        self.process.stdout.close()
        shutil.rmtree(self.folder, ignore_errors=True)


def unused_port():
    """A loopback port that nothing listens on: connections to it are refused."""
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def read_run_log(path):
    """The messages of the run log's lines (UTF-16LE, CR LF), without date, time and tag."""
    if not os.path.exists(path):
        return []
    with open(path, "rb") as stream:
        text = stream.read().decode("utf-16-le", errors="replace")
    messages = []
    for line in text.split("\r\n")[:-1]:
        head, tag, message = line.partition("\tUpdateModule\t")
        messages.append(message if tag else "<malformed> " + line)
    return messages


def file_md5(path):
    import hashlib
    with open(path, "rb") as stream:
        return hashlib.md5(stream.read()).hexdigest()


def same_bytes(a, b):
    with open(a, "rb") as first, open(b, "rb") as second:
        return first.read() == second.read()


class ProcessWatch:
    """Makes this process the child subreaper, so that processes started by our
    children's children are re-parented to us when their parent ends. seen()
    lists every such process observed so far, alive or ended."""

    PR_SET_CHILD_SUBREAPER = 36

    def __init__(self):
        libc = ctypes.CDLL(None, use_errno=True)
        if libc.prctl(self.PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
            raise OSError(ctypes.get_errno(), "prctl(PR_SET_CHILD_SUBREAPER)")
        self.ignored = set()
        self.processes = {}  # pid -> {"name", "exe", "ended", "status"}

    def ignore(self, pid):
        self.ignored.add(pid)

    def forget_ended(self):
        """Drops the records of processes that have ended (start of a new case)."""
        self.processes = {pid: r for pid, r in self.poll().items() if not r["ended"]}

    def poll(self):
        me = os.getpid()
        for entry in os.listdir("/proc"):
            if not entry.isdigit() or int(entry) in self.ignored:
                continue
            pid = int(entry)
            try:
                with open("/proc/%d/stat" % pid) as stream:
                    stat = stream.read()
            except OSError:
                continue
            name = stat[stat.index("(") + 1:stat.rindex(")")]
            state, parent = stat[stat.rindex(")") + 2:].split()[:2]
            if int(parent) != me:
                continue
            record = self.processes.setdefault(pid, {"name": name, "exe": None,
                                                     "ended": False, "status": None})
            if state != "Z":
                try:
                    record["exe"] = os.readlink("/proc/%d/exe" % pid)
                except OSError:
                    pass
                continue
            done, status = os.waitpid(pid, os.WNOHANG)
            if done == pid:
                record["ended"] = True
                record["status"] = os.waitstatus_to_exitcode(status)
        return self.processes

    def wait_for(self, predicate, timeout):
        """Polls until predicate(processes) is true; returns whether it became so."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if predicate(self.poll()):
                return True
            time.sleep(0.02)
        return predicate(self.poll())

    def stop_all(self):
        """Ends every adopted process that still runs, and reaps it."""
        for pid, record in self.poll().items():
            if record["ended"]:
                continue
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline and not all(r["ended"] for r in self.poll().values()):
            time.sleep(0.05)
        for pid, record in self.poll().items():
            if not record["ended"]:
                os.kill(pid, signal.SIGKILL)
                os.waitpid(pid, 0)
                record["ended"] = True


def wait_for_log(path, predicate, timeout):
    """Polls the run log until predicate(messages) is true; returns the messages."""
    deadline = time.monotonic() + timeout
    while True:
        messages = read_run_log(path)
        if predicate(messages) or time.monotonic() >= deadline:
            return messages
        time.sleep(0.05)
