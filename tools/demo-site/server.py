#!/usr/bin/env python3
"""Demo operator site for the Korvane launcher, served on loopback only.

Pages: the login form (/login/lorvik/gy), its check (/login/lorvik/check),
the game page (/game/play?play_gamecode=...), two info pages, the launcher's
version request (/getClientVersion.php) and, when an update is offered, the
download of the newer build (/download/korvane-<version>).

Python standard library only (http.server); see README.md beside this file.
"""

import argparse
import html
import http.server
import os
import secrets
import signal
import sys
import threading
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
PAGES = os.path.join(HERE, "pages")

LOOPBACK = "127.0.0.1"
DEFAULT_PORT = 8610  # the port of the launcher's built-in addresses
DEFAULT_OFFER_VERSION = "1.0.0.9"

# Demo accounts. Besides these, any account name logs in with DEMO_PASSWORD.
ACCOUNTS = {"player1": "korvane123", "player2": "lorvik456"}
DEMO_PASSWORD = "demo"
MAX_ACCOUNT_LENGTH = 32
MAX_FORM_BYTES = 16 * 1024
MAX_DISCARD_BYTES = 1024 * 1024

SERVERS = {"1": "服务器 1 · 烈焰之地", "2": "服务器 2 · 寒霜王座", "3": "服务器 3 · 暗金深渊"}
REMEMBER_COOKIE = "kv_account"
REMEMBER_SECONDS = 30 * 24 * 3600
MAX_SESSIONS = 1000
CHUNK_BYTES = 64 * 1024

STATIC_FILES = {
    "/game/game.js": ("game.js", "text/javascript; charset=utf-8"),
    "/game/article.css": ("article.css", "text/css; charset=utf-8"),
}
INFO_PAGES = {"/game/help": "help.html", "/game/notice": "notice.html"}


def check_login(account, password):
    """Returns an error text for the form, or None when the login is good."""
    if not account or not password:
        return "请输入账号和密码。"
    if len(account) > MAX_ACCOUNT_LENGTH:
        return "账号最长 %d 个字符。" % MAX_ACCOUNT_LENGTH
    if ACCOUNTS.get(account) == password or password == DEMO_PASSWORD:
        return None
    return "账号或密码错误，请重新输入。"


def read_page(name):
    with open(os.path.join(PAGES, name), encoding="utf-8") as f:
        return f.read()


def render(name, **values):
    """Fills {{key}} slots of a page with HTML-escaped values."""
    text = read_page(name)
    for key, value in values.items():
        text = text.replace("{{%s}}" % key, html.escape(str(value), quote=True))
    return text


class Sessions:
    """Game codes handed out by logins, so the game page can greet the player."""

    def __init__(self):
        self._lock = threading.Lock()
        self._by_code = {}

    def open(self, account, server):
        code = secrets.token_hex(16)
        with self._lock:
            if len(self._by_code) >= MAX_SESSIONS:
                self._by_code.pop(next(iter(self._by_code)))
            self._by_code[code] = (account, server)
        return code

    def find(self, code):
        with self._lock:
            return self._by_code.get(code)


class Offer:
    """The newer build offered to launchers that ask with another version."""

    def __init__(self, path, version):
        self.path = path
        self.version = version

    @property
    def download_path(self):
        return "/download/korvane-" + self.version


class DemoSiteServer(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, address, offer):
        super().__init__(address, DemoSiteHandler)
        self.offer = offer
        self.sessions = Sessions()

    @property
    def base_url(self):
        return "http://%s:%d" % (LOOPBACK, self.server_address[1])


class DemoSiteHandler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "KorvaneDemo/1.0"

    # --- routing ---------------------------------------------------------

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query, keep_blank_values=True)
        route = {
            "/": self.redirect_to_login,
            "/login/lorvik/gy": self.login_page,
            "/login/lorvik/check": self.login_check,
            "/game/play": self.game_page,
            "/getClientVersion.php": self.client_version,
        }.get(url.path)
        if route:
            route(query)
        elif url.path in INFO_PAGES:
            self.info_page(INFO_PAGES[url.path], query)
        elif url.path in STATIC_FILES:
            name, content_type = STATIC_FILES[url.path]
            self.send_body(200, read_page(name).encode("utf-8"), content_type)
        elif url.path.startswith("/download/"):
            self.download(url.path)
        else:
            self.send_text(404, "not found")

    def do_POST(self):
        url = urllib.parse.urlsplit(self.path)
        length = self.headers.get("Content-Length", "")
        if not length.isdigit():
            self.close_connection = True
            self.send_text(411, "a form needs a Content-Length")
            return
        length = int(length)
        refusal = ((404, "not found") if url.path != "/login/lorvik/check" else
                   (413, "form too large") if length > MAX_FORM_BYTES else None)
        if refusal:
            # Read what was sent before answering, so the client is not reset
            # while it still writes its body.
            self.discard_body(length)
            self.send_text(*refusal)
            return
        body = self.rfile.read(length).decode("utf-8", errors="replace")
        self.login_check(urllib.parse.parse_qs(body, keep_blank_values=True))

    def discard_body(self, length):
        if length > MAX_DISCARD_BYTES:
            self.close_connection = True
            return
        while length > 0:
            chunk = self.rfile.read(min(CHUNK_BYTES, length))
            if not chunk:
                break
            length -= len(chunk)

    # --- login -----------------------------------------------------------

    def redirect_to_login(self, _query):
        self.send_redirect("/login/lorvik/gy")

    def login_page(self, _query, account=None, server="1", error=""):
        remembered = self.remembered_account()
        if account is None:
            account = remembered
        page = render(
            "login.html",
            account=account,
            remember="checked" if remembered else "",
            error=error,
            error_class="error shown" if error else "error",
            server1="selected" if server == "1" else "",
            server2="selected" if server == "2" else "",
            server3="selected" if server == "3" else "",
        )
        self.send_body(200, page.encode("utf-8"), "text/html; charset=utf-8",
                       [("Cache-Control", "no-store")])

    def login_check(self, form):
        account = first(form, "account").strip()
        password = first(form, "password")
        server = first(form, "server") or "1"
        remember = first(form, "remember") != ""
        if server not in SERVERS:
            server = "1"
        error = check_login(account, password)
        if error:
            self.log_message("login refused for %r", account)
            self.login_page(None, account=account, server=server, error=error)
            return
        code = self.server.sessions.open(account, server)
        self.log_message("login accepted for %r on server %s", account, server)
        if remember:
            cookie = "%s=%s; Max-Age=%d; Path=/; HttpOnly" % (
                REMEMBER_COOKIE, urllib.parse.quote(account), REMEMBER_SECONDS)
        else:
            cookie = "%s=; Max-Age=0; Path=/" % REMEMBER_COOKIE
        target = "/game/play?" + urllib.parse.urlencode(
            {"play_gamecode": code, "server": server})
        self.send_redirect(target, [("Set-Cookie", cookie)])

    def remembered_account(self):
        for part in self.headers.get("Cookie", "").split(";"):
            name, _, value = part.strip().partition("=")
            if name == REMEMBER_COOKIE:
                return urllib.parse.unquote(value)[:MAX_ACCOUNT_LENGTH]
        return ""

    # --- game ------------------------------------------------------------

    def game_page(self, query):
        code = first(query, "play_gamecode")
        if not code:
            self.send_body(400, render("nocode.html").encode("utf-8"),
                           "text/html; charset=utf-8")
            return
        account, server = self.server.sessions.find(code) or ("勇士", "")
        server = first(query, "server") or server or "1"
        page = render(
            "game.html",
            account=account,
            server_name=SERVERS.get(server, "服务器 " + server),
            query=urllib.parse.urlencode({"play_gamecode": code, "server": server}),
        )
        self.send_body(200, page.encode("utf-8"), "text/html; charset=utf-8",
                       [("Cache-Control", "no-store")])

    def info_page(self, name, query):
        back = "/game/play?" + urllib.parse.urlencode(
            {"play_gamecode": first(query, "play_gamecode"),
             "server": first(query, "server") or "1"})
        page = render(name, back=back)
        self.send_body(200, page.encode("utf-8"), "text/html; charset=utf-8")

    # --- update ----------------------------------------------------------

    def client_version(self, query):
        if "v" not in query:
            self.send_text(400, "missing v")
            return
        version = first(query, "v")
        offer = self.server.offer
        if offer and first(query, "g") == "kovr" and version != offer.version:
            reply = self.server.base_url + offer.download_path
        else:
            reply = "0"
        self.log_message("version %r asked, reply %s", version, reply)
        self.send_text(200, reply)

    def download(self, path):
        offer = self.server.offer
        if not offer or path != offer.download_path:
            self.send_text(404, "not found")
            return
        try:
            source = open(offer.path, "rb")
        except OSError as failure:
            self.send_text(500, "cannot open the offered build: %s" % failure.strerror)
            return
        with source:
            size = os.fstat(source.fileno()).st_size
            first_byte, last_byte = parse_range(self.headers.get("Range"), size)
            if first_byte is None:
                self.send_response(416)
                self.send_header("Content-Range", "bytes */%d" % size)
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            partial = (first_byte, last_byte) != (0, size - 1) and size > 0
            length = last_byte - first_byte + 1 if size > 0 else 0
            self.send_response(206 if partial else 200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(length))
            self.send_header("Accept-Ranges", "bytes")
            if partial:
                self.send_header("Content-Range",
                                 "bytes %d-%d/%d" % (first_byte, last_byte, size))
            self.end_headers()
            source.seek(first_byte)
            remaining = length
            try:
                while remaining > 0:
                    chunk = source.read(min(CHUNK_BYTES, remaining))
                    if not chunk:  # the file shrank under us: the client sees a short body
                        self.close_connection = True
                        break
                    self.wfile.write(chunk)
                    remaining -= len(chunk)
            except ConnectionError:
                self.close_connection = True
                self.log_message("download of %s broken off by the client", path)

    # --- replies ---------------------------------------------------------

    def send_body(self, status, body, content_type, headers=()):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def send_text(self, status, text):
        self.send_body(status, text.encode("utf-8"), "text/plain; charset=utf-8",
                       [("Cache-Control", "no-store")])

    def send_redirect(self, target, headers=()):
        link = html.escape(target, quote=True)
        body = ('<!DOCTYPE html><meta charset="utf-8"><a href="%s">继续</a>' % link).encode("utf-8")
        self.send_body(302, body, "text/html; charset=utf-8",
                       [("Location", target), *headers])

    def log_message(self, format, *args):  # noqa: A002 (the base class's name)
        sys.stderr.write("demo-site: %s\n" % (format % args))

    def log_request(self, code="-", size="-"):
        self.log_message("%s %s -> %s", self.command, self.path, code)


def first(values, key):
    return values.get(key, [""])[0]


def parse_range(header, size):
    """Returns (first, last) byte of a single "bytes=a-b" range, the whole file
    when there is no usable header, or (None, None) when it cannot be met."""
    whole = (0, size - 1)
    if not header or not header.startswith("bytes=") or "," in header:
        return whole
    start, _, end = header[len("bytes="):].strip().partition("-")
    try:
        if start == "":  # a suffix: the last N bytes
            count = int(end)
            return (max(size - count, 0), size - 1) if count > 0 and size > 0 else (None, None)
        first_byte = int(start)
        last_byte = int(end) if end else size - 1
    except ValueError:
        return whole
    if first_byte >= size or last_byte < first_byte:
        return (None, None)
    return first_byte, min(last_byte, size - 1)


def parse_arguments(argv):
    parser = argparse.ArgumentParser(description="Korvane demo operator site (loopback only)")
    parser.add_argument("--host", default=LOOPBACK,
                        help="address to bind; only 127.0.0.1 is accepted")
    parser.add_argument("--port", type=int, default=DEFAULT_PORT,
                        help="port to bind, 0 for any free port (default %d)" % DEFAULT_PORT)
    parser.add_argument("--port-file", help="write the bound port number to this file")
    parser.add_argument("--offer-update", metavar="PATH",
                        help="offer this file as a newer launcher build")
    parser.add_argument("--offer-version", default=DEFAULT_OFFER_VERSION,
                        help="version of the offered build (default %s)" % DEFAULT_OFFER_VERSION)
    args = parser.parse_args(argv)
    if args.host != LOOPBACK:
        parser.error("refusing to listen on %s: the demo site serves 127.0.0.1 only" % args.host)
    if not 0 <= args.port <= 65535:
        parser.error("port out of range: %d" % args.port)
    if args.offer_update and not os.path.isfile(args.offer_update):
        parser.error("no such file to offer: %s" % args.offer_update)
    if not args.offer_version or not all(c.isalnum() or c in ".-_" for c in args.offer_version):
        parser.error("the offered version may hold only letters, digits, '.', '-' and '_'")
    return args


def write_port_file(path, port):
    temporary = path + ".tmp"
    with open(temporary, "w", encoding="ascii") as f:
        f.write("%d\n" % port)
    os.replace(temporary, path)  # readers never see a half-written number


def main(argv=None):
    args = parse_arguments(sys.argv[1:] if argv is None else argv)
    offer = Offer(os.path.abspath(args.offer_update), args.offer_version) if args.offer_update else None
    server = DemoSiteServer((args.host, args.port), offer)

    def stop(_signum, _frame):
        raise SystemExit(0)

    signal.signal(signal.SIGTERM, stop)
    port = server.server_address[1]
    if args.port_file:
        write_port_file(args.port_file, port)
    print("listening on http://%s:%d" % (LOOPBACK, port), flush=True)
    if offer:
        print("offering %s as version %s at %s%s" % (offer.path, offer.version,
                                                     server.base_url, offer.download_path),
              flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
