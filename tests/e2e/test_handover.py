"""Update hand-over on the real executable, in a sandboxed per-user home.

The downloaded build (korvane-next, placed at <data>/cache/q7kovrtmp.exe) is
run with the single argument "-d " + the installed copy's path, as the update
download starts it. It must replace the installed copy byte for byte, log the
new copy's MD5 and version, start the installed copy without arguments and
end with code 0. When the copy cannot be replaced it logs the error code and
goes on as an ordinary launcher.

How the start of the installed copy is observed: this test process becomes a
child subreaper, so the process the hand-over starts (and leaves behind when it
exits) is re-parented to us, alive or as a zombie; nothing can slip past
between two polls. Its stdout and stderr are a pipe whose buffer is already
full, so a launcher that reports anything (today's window-less ordinary mode
prints a line) blocks on that write and is still alive when we read its
/proc entry: its executable must be the installed path and its argument
vector that path alone. A launcher that runs a window stays alive anyway.
"""

import datetime
import errno
import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kvtest  # noqa: E402

SEPARATOR = "====================="
HAND_OVER_SECONDS = 60
START_SECONDS = 30
# An ordinary launcher that shows a window keeps running; after this long it is
# stopped and counted as "still running".
ORDINARY_GRACE_SECONDS = 10


def now():
    return datetime.datetime.now().replace(microsecond=0)


class HandOverTest(unittest.TestCase):
    def setUp(self):
        kvtest.require_binaries(self)
        self.next_bytes = kvtest.read_bytes(kvtest.KORVANE_NEXT_BIN)
        self.installed_bytes = kvtest.read_bytes(kvtest.KORVANE_BIN)
        self.next_version = kvtest.file_version_of(kvtest.KORVANE_NEXT_BIN)
        # The two builds must be told apart by version, or the log proves nothing.
        self.assertTrue(self.next_version)
        self.assertNotEqual(self.next_version, kvtest.file_version_of(kvtest.KORVANE_BIN))

    def assert_stamped_between(self, lines, before, after):
        slack = datetime.timedelta(seconds=1)
        for line in lines:
            self.assertTrue(before - slack <= line.stamp <= after + slack,
                            "%r not between %s and %s" % (line, before, after))

    def run_hand_over(self, box, download, target):
        """Runs the hand-over; returns (exit code, the process it started)."""
        with kvtest.Subreaper() as reaper:
            output = kvtest.StalledOutput()
            process = subprocess.Popen([download, "-d " + target], env=box.env,
                                       stdin=subprocess.DEVNULL, stdout=output.write_end,
                                       stderr=output.write_end)
            reaper.ignore(process.pid)
            try:
                code = process.wait(timeout=HAND_OVER_SECONDS)
            except subprocess.TimeoutExpired:
                output.release()
                process.kill()
                process.wait()
                output.close()
                self.fail("the hand-over did not end; output: %r" % output.text())
            started = reaper.wait_for_adopted(timeout=START_SECONDS)
            output.release()
            reaper.stop_all()
            output.close()
            return code, started

    def test_replaces_the_installed_copy_and_starts_it(self):
        cases = [
            # name, sandbox label, installed copy present, res folder present
            ("installed copy present", "handover", True, True),
            ("path with blanks", "hand over", True, True),
            ("no installed copy yet", "handover", False, True),
            ("no res folder: the lines are lost, the update is not", "handover", True, False),
        ]
        for name, label, installed, with_res in cases:
            with self.subTest(name), kvtest.Sandbox(label) as box:
                os.makedirs(box.program_folder)
                target = os.path.join(box.program_folder, "korvane")
                if installed:
                    box.copy_executable(kvtest.KORVANE_BIN, target)
                earlier = b""
                if with_res:
                    os.makedirs(box.res_folder)
                    # A line the launcher wrote before handing over must survive.
                    earlier = kvtest.encode_log_line(
                        "2016- 3- 3  9: 5: 7 : \tUpdateModule\tFinish download,file md5=%s"
                        % kvtest.md5_of(kvtest.KORVANE_NEXT_BIN))
                    with open(box.log_path, "wb") as f:
                        f.write(earlier)
                download = box.place_download(kvtest.KORVANE_NEXT_BIN)

                before = now()
                code, started = self.run_hand_over(box, download, target)
                after = now()

                self.assertEqual(code, 0)
                self.assertTrue(kvtest.read_bytes(target) == self.next_bytes,
                                "target replaced byte for byte")
                self.assertTrue(os.stat(target).st_mode & 0o111, "target stays executable")
                expected_entries = {"korvane", "res"} if with_res else {"korvane"}
                self.assertEqual(set(os.listdir(box.program_folder)), expected_entries,
                                 "no temporary file left beside the target")

                self.assertIsNotNone(started, "the installed copy was not started")
                self.assertFalse(started.zombie,
                                 "the started copy ended before it could be looked at: %r"
                                 % started)
                self.assertEqual(started.exe, os.path.realpath(target))
                self.assertEqual(started.argv, [target], "started without arguments")

                if not with_res:
                    self.assertFalse(os.path.exists(box.log_path))
                    continue
                self.assertTrue(kvtest.read_bytes(box.log_path).startswith(earlier),
                                "earlier log kept")
                lines = box.read_log()
                self.assertEqual([line.message for line in lines[1:]], [
                    "Finish download,current file md5=%s" % kvtest.md5_of(kvtest.KORVANE_NEXT_BIN),
                    "Update success.Current Version:%s" % self.next_version,
                    SEPARATOR,
                ])
                self.assert_stamped_between(lines[1:], before, after)

    def test_failed_replacement_is_logged_and_an_ordinary_start_follows(self):
        cases = [
            # name, target below the sandbox root, expected error
            ("target folder missing", "data/nowhere/korvane", errno.ENOENT),
            ("target's parent is a file", "plain-file/korvane", errno.ENOTDIR),
            ("target is a folder", "data/rozovizo_7/kovr/occupied", errno.EISDIR),
        ]
        for name, relative_target, error in cases:
            with self.subTest(name), kvtest.Sandbox("handover-fail") as box:
                installed = box.install(kvtest.KORVANE_BIN)
                os.makedirs(os.path.join(box.program_folder, "occupied", "inside"))
                with open(os.path.join(box.root, "plain-file"), "w") as f:
                    f.write("not a folder")
                target = os.path.join(box.root, relative_target)
                download = box.place_download(kvtest.KORVANE_NEXT_BIN)
                entries_before = set(os.listdir(box.program_folder))

                before = now()
                failed = kvtest.run(download, ["-d " + target], box.env,
                                    grace=ORDINARY_GRACE_SECONDS)
                after = now()

                lines = box.read_log()
                self.assertGreaterEqual(len(lines), 2, lines)
                self.assertEqual([line.message for line in lines[:2]],
                                 ["Update failure.Error Code:%d" % error, SEPARATOR],
                                 "expected %s" % kvtest.errno_name(error))
                self.assert_stamped_between(lines[:2], before, after)
                self.assertTrue(kvtest.read_bytes(installed) == self.installed_bytes,
                                "installed copy untouched")
                # The ordinary launcher that follows adds folders of its own;
                # a temporary copy would be a hidden file.
                hidden = lambda names: {n for n in names if n.startswith(".")}
                self.assertEqual(hidden(os.listdir(box.program_folder)), hidden(entries_before),
                                 "no temporary file left behind")

                # The same program started as an ordinary launcher (the shortcut
                # argument) must behave just like the failed hand-over went on to.
                # That launch's update check removed the downloaded file it ran
                # from (here a running program's file can be removed), so it is
                # put back first.
                box.place_download(kvtest.KORVANE_NEXT_BIN)
                ordinary = kvtest.run(download, ["1"], box.env, grace=ORDINARY_GRACE_SECONDS)
                # (code None: still running after the grace period, as a windowed one is.)
                self.assertNotEqual(failed.code, 0, failed)
                self.assertEqual(failed.code, ordinary.code, (failed, ordinary))
                if failed.code is not None:
                    self.assertEqual(failed.stderr, ordinary.stderr)


if __name__ == "__main__":
    unittest.main(verbosity=2)
