#!/usr/bin/env python3
"""A small HTTP server on loopback whose replies a test scripts per case.

It stands in for the operator's web servers in tests and demos: the update
server ("/getClientVersion.php?p=vexagame&g=kovr&v=<version>" and the download
it names), and any page a test wants to serve.

Usage:
    scripted_http_server.py --script FILE [--request-log FILE] [--port-file FILE]
                            [--port N] [--bind ADDRESS]

On start it prints "PORT <n>" on a line of its own to stdout (and writes <n> to
--port-file, if given, by an atomic rename). It runs until it is terminated.

The script is a JSON file, read again for every request, so a test changes the
server's behaviour by replacing the file (write a temporary file, then rename):

    {"routes": {"/getClientVersion.php?p=vexagame&g=kovr&v=1.0.0.0": {"body": "{base}/next"},
                "/getClientVersion.php": {"body": "0"},
                "/next": {"file": "/path/to/new/build"}}}

A request is matched first by its whole target (path and query), then by its
path alone; an unmatched request gets 404. A reply may hold:

    status          status code (default 200)
    headers         extra headers, {"Location": "{base}/elsewhere"}
    body            text, sent as UTF-8
    body_hex        bytes written in hexadecimal (binary bodies)
    fill            {"text": "A", "count": 1048576}: text repeated count times
    file            path of a file to send (sent with sendfile, so large files are fast)
    content_length  omitted: the body's true length; null: no Content-Length header;
                    a number: announced instead of the true length
    close_after     send only this many body bytes, then close the connection cleanly
    reset_after     send only this many body bytes, then reset the connection (RST)

A CONNECT request (a client that uses this server as its proxy) is matched by
its target, "host:port", and answered like any other request; the connection
is closed after the reply, so a tunnel is never made.

"{base}" in body, headers and file is replaced by the server's own base address
(http://127.0.0.1:<port>). Every response carries "Connection: close".

With --request-log, every request is appended to that file as one JSON line:
{"method", "target", "path", "query", "headers"}.
"""

import argparse
import json
import os
import socket
import struct
import sys
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import urlsplit


class Body:
    """The bytes of one reply: held in memory or read from a file."""

    def __init__(self, data=None, path=None):
        self.data = data
        self.path = path
        self.size = os.path.getsize(path) if path is not None else len(data)

    def send(self, sock, limit):
        count = self.size if limit is None else min(limit, self.size)
        if count <= 0:
            return
        if self.path is None:
            sock.sendall(self.data[:count])
            return
        with open(self.path, "rb") as stream:
            sock.sendfile(stream, 0, count)


def make_body(reply, base):
    if "file" in reply:
        return Body(path=reply["file"].replace("{base}", base))
    if "body_hex" in reply:
        return Body(data=bytes.fromhex(reply["body_hex"]))
    if "fill" in reply:
        fill = reply["fill"]
        return Body(data=fill["text"].encode("utf-8") * int(fill["count"]))
    return Body(data=reply.get("body", "").replace("{base}", base).encode("utf-8"))


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "ScriptedHTTP/1"

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        pass

    def do_GET(self):
        self.serve(send_body=True)

    def do_HEAD(self):
        self.serve(send_body=False)

    def do_CONNECT(self):
        self.serve(send_body=True)

    def serve(self, send_body):
        server = self.server
        parts = urlsplit(self.path)
        server.record(
            {
                "method": self.command,
                "target": self.path,
                "path": parts.path,
                "query": parts.query,
                "headers": {name: value for name, value in self.headers.items()},
            }
        )
        routes = server.load_script().get("routes", {})
        reply = routes.get(self.path) or routes.get(parts.path)
        if reply is None:
            reply = {"status": 404, "body": "no route for " + self.path}
        base = server.base_url()
        body = make_body(reply, base)

        self.close_connection = True
        self.send_response(int(reply.get("status", 200)))
        for name, value in reply.get("headers", {}).items():
            self.send_header(name, str(value).replace("{base}", base))
        announced = reply.get("content_length", body.size)
        if announced is not None:
            self.send_header("Content-Length", str(announced))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.flush()
        if not send_body:
            return

        if "reset_after" in reply:
            body.send(self.connection, int(reply["reset_after"]))
            self.reset_connection()
            return
        limit = reply.get("close_after")
        try:
            body.send(self.connection, None if limit is None else int(limit))
        except (BrokenPipeError, ConnectionResetError):
            pass  # the client stopped reading, as clients may

    def reset_connection(self):
        # A zero linger time makes close() send RST instead of FIN. The socket is
        # closed here, with its file objects, so nothing sends a FIN before it.
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.rfile.close()
        self.wfile.close()
        self.connection.close()


class ScriptedServer(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, address, script_path, request_log):
        super().__init__(address, Handler)
        self.script_path = script_path
        self.request_log = request_log
        self.log_lock = threading.Lock()

    def handle_error(self, request, client_address):
        pass  # a client that goes away mid-reply is part of the tests

    def base_url(self):
        host, port = self.server_address[:2]
        return "http://%s:%d" % (host, port)

    def load_script(self):
        try:
            with open(self.script_path, encoding="utf-8") as stream:
                return json.load(stream)
        except (OSError, ValueError) as error:
            print("scripted_http_server: cannot read script: %s" % error, file=sys.stderr)
            return {}

    def record(self, entry):
        if self.request_log is None:
            return
        with self.log_lock, open(self.request_log, "a", encoding="utf-8") as stream:
            stream.write(json.dumps(entry) + "\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--script", required=True)
    parser.add_argument("--request-log")
    parser.add_argument("--port-file")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--bind", default="127.0.0.1")
    args = parser.parse_args()

    server = ScriptedServer((args.bind, args.port), args.script, args.request_log)
    port = server.server_address[1]
    if args.port_file:
        temporary = args.port_file + ".tmp"
        with open(temporary, "w", encoding="ascii") as stream:
            stream.write("%d\n" % port)
        os.replace(temporary, args.port_file)
    print("PORT %d" % port, flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()


if __name__ == "__main__":
    main()
