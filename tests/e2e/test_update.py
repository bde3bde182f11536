"""Self-update on real executables: an installed launcher (the update driver,
version 1.0.0.0) asks a scripted update server on loopback, downloads the
newer build (version 1.0.0.9), and hands over to it; the newer build replaces
the installed copy and starts it."""

import os
import subprocess
import sys
import unittest
from unittest import mock

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import updatetest  # noqa: E402
from updatetest import SEPARATOR, VERSION_PATH, VERSION_QUERY  # noqa: E402

DRIVER = os.environ["KORVANE_UPDATE_DRIVER_BIN"]
NEXT = os.environ["KORVANE_NEXT_BIN"]
NO_HAND_OVER = 3
DRIVER_TIMEOUT = 120
HAND_OVER_TIMEOUT = 60
LOG_LIMIT = 10 * 1024 * 1024


class UpdateTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.watch = updatetest.ProcessWatch()
        # A proxy that refuses every connection, as a machine's proxy settings
        # would look to these tests: the launcher must reach the loopback server
        # directly all the same.
        dead_proxy = "http://127.0.0.1:%d" % updatetest.unused_port()
        cls.proxy = mock.patch.dict(os.environ, {name: dead_proxy for name in (
            "http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "ALL_PROXY")})
        cls.proxy.start()

    @classmethod
    def tearDownClass(cls):
        cls.proxy.stop()

    def setUp(self):
        self.sandbox = updatetest.Sandbox()
        self.addCleanup(self.sandbox.remove)
        self.server = updatetest.UpdateServer()
        self.addCleanup(self.server.stop)
        self.watch.ignore(self.server.process.pid)
        self.addCleanup(self.watch.stop_all)
        self.watch.forget_ended()
        self.installed = self.sandbox.install(DRIVER)

    def routes(self, download):
        """The installed version is offered the download; any other version is current."""
        return {VERSION_QUERY + "1.0.0.0": {"body": "{base}/download/korvane"},
                VERSION_PATH: {"body": "0"},
                "/download/korvane": download}

    def run_installed(self):
        process = subprocess.Popen([self.installed], cwd=self.sandbox.root,
                                   env=self.sandbox.env(KORVANE_UPDATE_URL=self.server.base))
        self.watch.ignore(process.pid)
        return process.wait(timeout=DRIVER_TIMEOUT)

    def request_url(self):
        return self.server.base + VERSION_QUERY + "1.0.0.0"

    def test_update_downloads_hands_over_and_replaces_the_installed_copy(self):
        self.server.set_routes(self.routes({"file": NEXT}))
        download = self.server.base + "/download/korvane"
        size = str(os.path.getsize(NEXT))
        digest = updatetest.file_md5(NEXT)

        self.assertEqual(self.run_installed(), 0, "the launcher exits with 0 after handing over")
        self.assertEqual(updatetest.read_run_log(self.sandbox.run_log)[:8], [
            self.request_url(),
            "Http QueryInfoStatusCode:200",
            "Server response check version msg:" + download,
            "ExcuUpdate,URL=" + download,
            "Http QueryInfoStatusCode:200",
            "Content length:" + size,
            "Finish download,file size=" + size,
            "Finish download,file md5=" + digest,
        ])
        self.assertTrue(updatetest.same_bytes(self.sandbox.temp_exe, NEXT))
        self.assertTrue(os.access(self.sandbox.temp_exe, os.X_OK))
        requests = self.server.requests()
        self.assertEqual([r["target"] for r in requests[:2]],
                         [VERSION_QUERY + "1.0.0.0", "/download/korvane"])
        self.assertEqual(requests[0]["headers"].get("User-Agent"), "korvane-update-driver")

        # The hand-over process: copies itself over the installed copy, logs, starts it.
        messages = updatetest.wait_for_log(
            self.sandbox.run_log, lambda m: len(m) >= 11 or "Update failure" in " ".join(m),
            HAND_OVER_TIMEOUT)
        self.assertEqual(messages[8:11], [
            "Finish download,current file md5=" + digest,
            "Update success.Current Version:1.0.0.9",
            SEPARATOR,
        ])
        self.assertTrue(updatetest.same_bytes(self.installed, NEXT),
                        "the installed copy is the new build")
        self.assertTrue(updatetest.same_bytes(self.sandbox.temp_exe, NEXT),
                        "the download stays in the cache folder")

        # Both the downloaded copy and the installed copy it started ran.
        installed_name = os.path.basename(self.installed)[:15]
        started = self.watch.wait_for(
            lambda processes: {r["name"] for r in processes.values()} >=
            {"q7kovrtmp.exe", installed_name}, HAND_OVER_TIMEOUT)
        self.assertTrue(started, "processes seen: %r" % self.watch.poll())
        hand_over = [r for r in self.watch.poll().values() if r["name"] == "q7kovrtmp.exe"]
        self.watch.wait_for(lambda _: all(r["ended"] for r in hand_over), HAND_OVER_TIMEOUT)
        self.assertEqual([r["status"] for r in hand_over], [0])

    def test_hand_over_command_line_and_a_download_that_cannot_start(self):
        """The downloaded file is started with exactly "-d " + the installed path as
        its command line; when it cannot be started the launcher exits all the same."""
        recorder = os.path.join(self.sandbox.root, "recorder.sh")
        with open(recorder, "w", encoding="ascii") as stream:
            stream.write('#!/bin/sh\nprintf "%s\\n" "$#" "$@" > "$0.args"\n')
        garbage = os.path.join(self.sandbox.root, "garbage.bin")
        with open(garbage, "wb") as stream:
            stream.write(bytes(range(256)) * 64)
        arguments = self.sandbox.temp_exe + ".args"
        for name, served, ran in [("a program that records its arguments", recorder, True),
                                  ("bytes that are no program", garbage, False)]:
            with self.subTest(name):
                for leftover in (self.sandbox.run_log, arguments):
                    if os.path.exists(leftover):
                        os.remove(leftover)
                self.server.set_routes(self.routes({"file": served}))
                self.assertEqual(self.run_installed(), 0)
                # Once every process the attempt started has ended, nothing more is logged.
                self.watch.wait_for(lambda p: all(r["ended"] for r in p.values()),
                                    HAND_OVER_TIMEOUT)
                messages = updatetest.read_run_log(self.sandbox.run_log)
                self.assertEqual(len(messages), 8, messages)
                self.assertEqual(messages[-1], "Finish download,file md5=" + updatetest.file_md5(served))
                self.assertTrue(updatetest.same_bytes(self.installed, DRIVER))
                if ran:
                    with open(arguments, encoding="utf-8") as stream:
                        self.assertEqual(stream.read(), "1\n-d %s\n" % self.installed)
                else:
                    self.assertFalse(os.path.exists(arguments))

    def test_broken_download_keeps_the_installed_copy(self):
        size = os.path.getsize(NEXT)
        download = self.server.base + "/download/korvane"
        head = ["ExcuUpdate,URL=" + download, "Http QueryInfoStatusCode:200",
                "Content length:%d" % size]
        cases = [
            ("body one byte short", {"file": NEXT, "close_after": size - 1}, head),
            ("connection closed mid-body", {"file": NEXT, "close_after": size // 2}, head),
            ("connection reset mid-body", {"file": NEXT, "reset_after": size // 2},
             head + ["Try Download File Exception", "Recv failure: Connection reset by peer"]),
            ("status 404", {"status": 404},
             ["ExcuUpdate,URL=" + download, "Http QueryInfoStatusCode:404"]),
        ]
        for name, reply, tail in cases:
            with self.subTest(name):
                if os.path.exists(self.sandbox.run_log):
                    os.remove(self.sandbox.run_log)
                self.server.set_routes(self.routes(reply))
                self.assertEqual(self.run_installed(), NO_HAND_OVER)
                self.assertTrue(updatetest.same_bytes(self.installed, DRIVER),
                                "the installed copy was changed")
                expected = [self.request_url(), "Http QueryInfoStatusCode:200",
                            "Server response check version msg:" + download] + tail
                messages = updatetest.read_run_log(self.sandbox.run_log)
                self.assertEqual(messages, expected)
                self.assertNotIn("q7kovrtmp.exe",
                                 {r["name"] for r in self.watch.poll().values()})

    def test_oversized_run_log_is_deleted_before_the_request(self):
        self.server.set_routes({VERSION_PATH: {"body": "0"}})
        no_update = [self.request_url(), "Http QueryInfoStatusCode:200",
                     "Server response check version msg:0", "Finish Update.", SEPARATOR]
        for name, size, kept in [("one byte over the limit", LOG_LIMIT + 1, False),
                                 ("exactly at the limit", LOG_LIMIT, True)]:
            with self.subTest(name):
                earlier = b"\x20\x00" * (size // 2) + b"\x20" * (size % 2)
                with open(self.sandbox.run_log, "wb") as stream:
                    stream.write(earlier)
                self.assertEqual(self.run_installed(), NO_HAND_OVER)
                with open(self.sandbox.run_log, "rb") as stream:
                    content = stream.read()
                if kept:
                    self.assertEqual(content[:size], earlier)
                    content = content[size:]
                lines = [line.partition("\tUpdateModule\t")[2]
                         for line in content.decode("utf-16-le").split("\r\n")[:-1]]
                self.assertEqual(lines, no_update)


if __name__ == "__main__":
    unittest.main(verbosity=2)
