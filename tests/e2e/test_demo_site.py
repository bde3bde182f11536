"""The bundled demo operator site: login form, game page, version replies and
the download of an offered build, all over loopback on an ephemeral port."""

import hashlib
import http.client
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.error
import urllib.parse
import urllib.request

SOURCE_DIR = os.environ.get(
    "KORVANE_SOURCE_DIR", os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
SERVER = os.path.join(SOURCE_DIR, "tools", "demo-site", "server.py")
START_SECONDS = 20


class DemoSite:
    """Runs server.py on a free loopback port until stop()."""

    def __init__(self, *extra_args):
        self.folder = tempfile.mkdtemp(prefix="demo-site-")
        port_file = os.path.join(self.folder, "port")
        self.process = subprocess.Popen(
            [sys.executable, SERVER, "--port", "0", "--port-file", port_file, *extra_args],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        deadline = time.monotonic() + START_SECONDS
        while not os.path.exists(port_file):
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise RuntimeError("demo site did not start")
            time.sleep(0.02)
        with open(port_file, encoding="ascii") as f:
            self.port = int(f.read())
        self.base = "http://127.0.0.1:%d" % self.port
        self.banner = self.process.stdout.readline().strip()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
        code = self.process.wait(timeout=10)
        self.process.stdout.close()
        shutil.rmtree(self.folder, ignore_errors=True)
        return code


class NoRedirect(urllib.request.HTTPRedirectHandler):
    def redirect_request(self, *args, **kwargs):
        return None


def fetch(url, data=None, headers=None):
    """Returns (status, headers, body bytes) without following redirections."""
    opener = urllib.request.build_opener(NoRedirect)
    request = urllib.request.Request(url, data=data, headers=headers or {})
    try:
        with opener.open(request, timeout=10) as reply:
            return reply.status, reply.headers, reply.read()
    except urllib.error.HTTPError as reply:
        with reply:
            return reply.code, reply.headers, reply.read()


def post_login(site, **fields):
    body = urllib.parse.urlencode(fields).encode("utf-8")
    return fetch(site.base + "/login/lorvik/check", data=body,
                 headers={"Content-Type": "application/x-www-form-urlencoded"})


class LoginAndGame(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.site = DemoSite()

    @classmethod
    def tearDownClass(cls):
        code = cls.site.stop()
        if code != 0:
            raise AssertionError("demo site ended with code %d" % code)

    def test_announces_its_loopback_address(self):
        self.assertEqual(self.site.banner, "listening on " + self.site.base)

    def test_login_page_is_a_form(self):
        status, headers, body = fetch(self.site.base + "/login/lorvik/gy")
        page = body.decode("utf-8")
        self.assertEqual(status, 200)
        self.assertIn("text/html", headers["Content-Type"])
        for part in ('id="login-form"', 'action="/login/lorvik/check"', 'id="account"',
                     'id="password"', 'type="password"', 'id="remember"', 'id="server"',
                     'id="login-submit"', "player1", "korvane123"):
            self.assertIn(part, page, part)

    def test_logins(self):
        cases = [
            # name, account, password, server, accepted
            ("table account", "player1", "korvane123", "2", True),
            ("second table account", "player2", "lorvik456", "3", True),
            ("any account with the demo password", "新玩家", "demo", "1", True),
            ("blanks around the account", "  player1 ", "korvane123", "1", True),
            ("wrong password", "player1", "korvane12", "1", False),
            ("account is case-sensitive", "Player1", "korvane123", "1", False),
            ("demo password is case-sensitive", "someone", "DEMO", "1", False),
            ("empty password", "player1", "", "1", False),
            ("empty account", "", "demo", "1", False),
            ("blank account", "   ", "demo", "1", False),
            ("over-long account", "x" * 33, "demo", "1", False),
        ]
        for name, account, password, server, accepted in cases:
            with self.subTest(name):
                status, headers, body = post_login(self.site, account=account,
                                                   password=password, server=server)
                if accepted:
                    self.assertEqual(status, 302)
                    target = urllib.parse.urlsplit(headers["Location"])
                    query = urllib.parse.parse_qs(target.query)
                    self.assertEqual(target.path, "/game/play")
                    self.assertIn("play_gamecode", headers["Location"])
                    self.assertRegex(query["play_gamecode"][0], "^[0-9a-f]{32}$")
                    self.assertEqual(query["server"], [server])
                else:
                    page = body.decode("utf-8")
                    self.assertEqual(status, 200)
                    self.assertIsNone(headers["Location"])
                    self.assertIn('id="login-form"', page)
                    self.assertIn('class="error shown"', page)
                    self.assertNotIn("play_gamecode", page)

    def test_each_login_gets_its_own_game_code(self):
        codes = set()
        for _ in range(3):
            _, headers, _ = post_login(self.site, account="player1", password="korvane123")
            codes.add(headers["Location"])
        self.assertEqual(len(codes), 3)

    def test_failed_login_keeps_account_and_server_but_not_password(self):
        _, _, body = post_login(self.site, account="player1", password="secret-guess", server="3")
        page = body.decode("utf-8")
        self.assertIn('value="player1"', page)
        self.assertIn('value="3" selected', page)
        self.assertNotIn("secret-guess", page)

    def test_markup_in_the_account_is_escaped(self):
        _, _, body = post_login(self.site, account='<b>"x', password="wrong")
        page = body.decode("utf-8")
        self.assertNotIn('<b>"x', page)
        self.assertIn("&lt;b&gt;&quot;x", page)

    def test_unknown_server_choice_falls_back_to_the_first(self):
        _, headers, _ = post_login(self.site, account="a", password="demo", server="../9")
        self.assertIn("server=1", headers["Location"])

    def test_login_by_query_string(self):
        query = urllib.parse.urlencode({"account": "player1", "password": "korvane123"})
        status, headers, _ = fetch(self.site.base + "/login/lorvik/check?" + query)
        self.assertEqual(status, 302)
        self.assertIn("play_gamecode=", headers["Location"])

    def test_remember_me_fills_in_the_account_next_time(self):
        _, headers, _ = post_login(self.site, account="player2", password="lorvik456", remember="1")
        cookie = headers["Set-Cookie"].split(";")[0]
        self.assertEqual(cookie, "kv_account=player2")
        _, _, body = fetch(self.site.base + "/login/lorvik/gy", headers={"Cookie": cookie})
        page = body.decode("utf-8")
        self.assertIn('value="player2"', page)
        self.assertIn('value="1" checked', page)
        _, headers, _ = post_login(self.site, account="player2", password="lorvik456")
        self.assertIn("kv_account=; Max-Age=0", headers["Set-Cookie"])

    def test_game_page_after_login(self):
        _, headers, _ = post_login(self.site, account="player1", password="korvane123", server="2")
        status, reply_headers, body = fetch(self.site.base + headers["Location"])
        page = body.decode("utf-8")
        self.assertEqual(status, 200)
        self.assertIn("text/html", reply_headers["Content-Type"])
        for part in ('<canvas id="game"', 'src="/game/game.js"', "player1", "服务器 2",
                     'id="link-help"', 'id="link-notice"', 'id="restart"'):
            self.assertIn(part, page, part)
        status, _, script = fetch(self.site.base + "/game/game.js")
        self.assertEqual(status, 200)
        self.assertIn(b"requestAnimationFrame", script)
        code = urllib.parse.parse_qs(urllib.parse.urlsplit(headers["Location"]).query)["play_gamecode"][0]
        for link in ("/game/help", "/game/notice"):
            with self.subTest(link):
                status, _, body = fetch(self.site.base + link + "?play_gamecode=" + code + "&server=2")
                self.assertEqual(status, 200)
                self.assertIn("/game/play?play_gamecode=" + code, body.decode("utf-8"))

    def test_game_page_without_a_code_asks_for_login(self):
        status, _, body = fetch(self.site.base + "/game/play")
        self.assertEqual(status, 400)
        self.assertIn("/login/lorvik/gy", body.decode("utf-8"))

    def test_unknown_paths_and_oversized_forms(self):
        self.assertEqual(fetch(self.site.base + "/nothing/here")[0], 404)
        self.assertEqual(fetch(self.site.base + "/download/korvane-1.0.0.9")[0], 404)
        big = b"account=a&password=" + b"x" * 20000
        self.assertEqual(fetch(self.site.base + "/login/lorvik/check", data=big)[0], 413)

    def test_no_update_by_default(self):
        for version in ("1.0.0.0", "1.0.0.9", ""):
            with self.subTest(version=version):
                status, _, body = fetch(
                    self.site.base + "/getClientVersion.php?p=vexagame&g=kovr&v=" + version)
                self.assertEqual((status, body), (200, b"0"))
        status, _, _ = fetch(self.site.base + "/getClientVersion.php?p=vexagame&g=kovr")
        self.assertEqual(status, 400)


class OfferedUpdate(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="demo-offer-")
        cls.build = os.path.join(cls.folder, "korvane-newer")
        shutil.copyfile(sys.executable, cls.build)
        cls.size = os.path.getsize(cls.build)
        with open(cls.build, "rb") as f:
            cls.md5 = hashlib.md5(f.read()).hexdigest()
        cls.site = DemoSite("--offer-update", cls.build)

    @classmethod
    def tearDownClass(cls):
        code = cls.site.stop()
        shutil.rmtree(cls.folder, ignore_errors=True)
        if code != 0:
            raise AssertionError("demo site ended with code %d" % code)

    def version_reply(self, query):
        status, _, body = fetch(self.site.base + "/getClientVersion.php?" + query)
        self.assertEqual(status, 200)
        return body.decode("ascii")

    def test_replies_by_requested_version(self):
        offered = self.site.base + "/download/korvane-1.0.0.9"
        cases = [
            ("older launcher", "p=vexagame&g=kovr&v=1.0.0.0", offered),
            ("other version text", "p=vexagame&g=kovr&v=1.0.0.10", offered),
            ("already the offered version", "p=vexagame&g=kovr&v=1.0.0.9", "0"),
            ("another game", "p=vexagame&g=other&v=1.0.0.0", "0"),
        ]
        for name, query, expected in cases:
            with self.subTest(name):
                self.assertEqual(self.version_reply(query), expected)

    def test_download_has_the_file_length_and_bytes(self):
        url = self.version_reply("p=vexagame&g=kovr&v=1.0.0.0")
        target = urllib.parse.urlsplit(url)
        self.assertEqual((target.hostname, target.port), ("127.0.0.1", self.site.port))
        connection = http.client.HTTPConnection("127.0.0.1", self.site.port, timeout=10)
        try:
            connection.request("GET", target.path)
            reply = connection.getresponse()
            self.assertEqual(reply.status, 200)
            self.assertEqual(int(reply.getheader("Content-Length")), self.size)
            digest, received = hashlib.md5(), 0
            while True:
                chunk = reply.read(65536)
                if not chunk:
                    break
                digest.update(chunk)
                received += len(chunk)
            self.assertEqual(received, self.size)
            self.assertEqual(digest.hexdigest(), self.md5)
        finally:
            connection.close()

    def test_download_ranges(self):
        url = self.site.base + "/download/korvane-1.0.0.9"
        cases = [
            # name, range header, status, first byte, length
            ("open end", "bytes=100-", 206, 100, self.size - 100),
            ("end past the file", "bytes=10-%d" % self.size, 206, 10, self.size - 10),
            ("suffix", "bytes=-16", 206, self.size - 16, 16),
            ("whole file", "bytes=0-%d" % (self.size - 1), 200, 0, self.size),
            ("not bytes", "lines=1-2", 200, 0, self.size),
            ("start past the end", "bytes=%d-" % self.size, 416, None, 0),
        ]
        with open(self.build, "rb") as f:
            content = f.read()
        for name, header, status, first, length in cases:
            with self.subTest(name):
                got_status, headers, body = fetch(url, headers={"Range": header})
                self.assertEqual(got_status, status)
                self.assertEqual(int(headers["Content-Length"]), length)
                if first is not None:
                    self.assertEqual(body, content[first:first + length])


class StartUp(unittest.TestCase):
    def test_refuses_other_hosts(self):
        for host in ("0.0.0.0", "localhost", "192.168.1.1", "::1"):
            with self.subTest(host=host):
                result = subprocess.run(
                    [sys.executable, SERVER, "--host", host, "--port", "0"],
                    capture_output=True, text=True, timeout=20)
                self.assertNotEqual(result.returncode, 0)
                self.assertIn("127.0.0.1 only", result.stderr)
                self.assertNotIn("listening", result.stdout)

    def test_refuses_a_missing_offered_file(self):
        result = subprocess.run(
            [sys.executable, SERVER, "--port", "0", "--offer-update", "/nonexistent/korvane"],
            capture_output=True, text=True, timeout=20)
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("no such file", result.stderr)


if __name__ == "__main__":
    unittest.main(verbosity=2)
