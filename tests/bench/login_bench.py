"""Login page start: the launcher beside `chromium --app` and `surf`, all opening
the same login page of the demo site.

For each program and run: the time from starting the process to the page's
load event, and the proportional set size (PSS) summed over the process and
every process below it, a few seconds after the load event (the launcher has
revealed its page by then). The page is the demo site's login page, served
through a small front server that adds a script reporting the load event back
to it; every other request goes to the demo site unchanged.

Usage: login_bench.py [--runs N] [--settle SECONDS]   (needs an X display)
"""

import argparse
import http.client
import http.server
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
LOGIN_PATH = "/login/lorvik/gy"
BEACON = b"""<script>window.addEventListener('load', function () {
  var beacon = new XMLHttpRequest();
  beacon.open('GET', '/__bench_onload', true);
  beacon.send();
});</script>"""


class Front:
    """Passes requests on to the demo site; adds the load report to the login
    page and notes the arrival time of each report."""

    def __init__(self, site_port):
        self.onload = threading.Event()
        self.onload_at = None
        front = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def log_message(self, *args):
                pass

            def do_GET(self):
                if self.path.startswith("/__bench_onload"):
                    front.onload_at = time.monotonic()
                    front.onload.set()
                    self.reply(204, {}, b"")
                    return
                connection = http.client.HTTPConnection("127.0.0.1", site_port, timeout=30)
                headers = {k: v for k, v in self.headers.items()
                           if k.lower() not in ("host", "connection", "accept-encoding")}
                connection.request("GET", self.path, headers=headers)
                answer = connection.getresponse()
                body = answer.read()
                if self.path.split("?")[0] == LOGIN_PATH and answer.status == 200:
                    at = body.rfind(b"</body>")
                    body = body[:at] + BEACON + body[at:] if at >= 0 else body + BEACON
                passed = {k: v for k, v in answer.getheaders()
                          if k.lower() not in ("content-length", "connection",
                                               "transfer-encoding")}
                connection.close()
                self.reply(answer.status, passed, body)

            def reply(self, status, headers, body):
                self.send_response(status)
                for name, value in headers.items():
                    self.send_header(name, value)
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.server.daemon_threads = True
        self.base = "http://127.0.0.1:%d" % self.server.server_address[1]
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def arm(self):
        self.onload.clear()
        self.onload_at = None


def descendants(root):
    """`root` and every process below it."""
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                stat = f.read()
        except OSError:
            continue
        parent = int(stat[stat.rindex(")") + 2:].split()[1])
        children.setdefault(parent, []).append(int(entry))
    found, queue = [], [root]
    while queue:
        pid = queue.pop()
        found.append(pid)
        queue.extend(children.get(pid, []))
    return found


def pss_kib(pids):
    total = 0
    for pid in pids:
        try:
            with open("/proc/%d/smaps_rollup" % pid) as f:
                for line in f:
                    if line.startswith("Pss:"):
                        total += int(line.split()[1])
                        break
        except OSError:
            pass
    return total


def stop_tree(process):
    pids = descendants(process.pid)
    for pid in reversed(pids):
        try:
            os.kill(pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        for pid in pids:
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        process.wait()
    time.sleep(0.5)


def run_once(command, env, front, settle):
    front.arm()
    started = time.monotonic()
    process = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               start_new_session=True)
    try:
        if not front.onload.wait(60):
            raise RuntimeError("no load event from %s" % command[0])
        onload = front.onload_at - started
        time.sleep(settle)
        pids = descendants(process.pid)
        return onload, pss_kib(pids), len(pids)
    finally:
        stop_tree(process)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--settle", type=float, default=3.0)
    parser.add_argument("--launcher", default=os.path.join(SOURCE_DIR, "build", "korvane"))
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="korvane-bench-")
    port_file = os.path.join(work, "port")
    site = subprocess.Popen([sys.executable, os.path.join(SOURCE_DIR, "tools", "demo-site",
                                                          "server.py"),
                             "--port", "0", "--port-file", port_file],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        while not os.path.exists(port_file):
            time.sleep(0.02)
        with open(port_file) as f:
            front = Front(int(f.read()))
        url = front.base + LOGIN_PATH

        def home(name):
            folder = os.path.join(work, name)
            env = dict(os.environ)
            env.update(HOME=folder, XDG_DATA_HOME=os.path.join(folder, "data"),
                       XDG_CONFIG_HOME=os.path.join(folder, "config"),
                       XDG_CACHE_HOME=os.path.join(folder, "cache"))
            for sub in ("data", "config", "cache"):
                os.makedirs(os.path.join(folder, sub), exist_ok=True)
            return folder, env

        launcher_home, launcher_env = home("launcher")
        launcher_env.update(KORVANE_LOGIN_URL=url, KORVANE_UPDATE_URL=front.base,
                            GDK_BACKEND="x11")
        chromium_home, chromium_env = home("chromium")
        surf_home, surf_env = home("surf")
        programs = [
            ("korvane (this launcher)", [args.launcher, "1"], launcher_env),
            ("chromium --app", ["chromium", "--no-sandbox", "--no-first-run",
                                "--no-default-browser-check", "--password-store=basic",
                                "--user-data-dir=" + os.path.join(chromium_home, "profile"),
                                "--app=" + url], chromium_env),
            ("surf", ["surf", url], surf_env),
        ]
        def available(command):
            return shutil.which(command[0]) is not None or os.access(command[0], os.X_OK)
        for name, command, _ in programs:
            if not available(command):
                print("%s: not installed, left out" % name, file=sys.stderr)
        programs = [p for p in programs if available(p[1])]
        # Warm-up (caches, the launcher's first installation), then the programs
        # take turns, so that a change in the machine's load hits all of them alike.
        for name, command, env in programs:
            run_once(command, env, front, args.settle)
        samples = {name: [] for name, _, _ in programs}
        for _ in range(args.runs):
            for name, command, env in programs:
                samples[name].append(run_once(command, env, front, args.settle))
        results = [(name, samples[name]) for name, _, _ in programs]
        for name, runs in results:
            print("%s: %s" % (name, runs), file=sys.stderr)

        print("| program | start to onload, median (min-max) | PSS after the page shows, median "
              "(min-max) | processes |")
        print("|---|---|---|---|")
        for name, samples in results:
            times = [s[0] * 1000 for s in samples]
            memory = [s[1] / 1024 for s in samples]
            print("| %s | %.0f ms (%.0f-%.0f) | %.1f MiB (%.1f-%.1f) | %d |" % (
                name, statistics.median(times), min(times), max(times),
                statistics.median(memory), min(memory), max(memory), samples[0][2]))
        with open("/proc/loadavg") as f:
            print("\nload average during the run: %s" % " ".join(f.read().split()[:3]))
    finally:
        site.terminate()
        site.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
