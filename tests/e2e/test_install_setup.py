"""Per-user installation on a real executable in a sandboxed home.

The installation test driver (the first-start setup alone, built as
"korvane") is started from a download folder, as a user starts the launcher
after downloading it. The first run must make exactly the folders and files
of an installation with the expected contents; a later run of the same
version, also started through the program shortcut by a real freedesktop
launcher (`gio launch`), may change only the two menu shortcuts.
"""

import os
import stat
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import installtest  # noqa: E402
import kvtest  # noqa: E402
from installtest import DESKTOP_LINK, PROGRAM_LINK, UNINSTALL_LINK  # noqa: E402


def expected_tree(box, download):
    """Every path a first run leaves in the sandbox, relative to its root."""
    paths = [
        box.home, box.desktop, os.path.join(box.desktop, DESKTOP_LINK),
        box.data_home, os.path.dirname(box.menu_parent), box.menu_parent, box.menu,
        os.path.join(box.menu, PROGRAM_LINK), os.path.join(box.menu, UNINSTALL_LINK),
        os.path.dirname(box.program_folder), box.program_folder, box.installed,
        box.res_folder, os.path.join(box.res_folder, "systemset.ini"),
        os.path.join(box.res_folder, "uninstall.ico"),
        box.config_home, os.path.dirname(os.path.dirname(box.profile)),
        os.path.dirname(box.profile), box.profile,
        box.config_dirs, os.path.dirname(os.path.dirname(box.entry)),
        os.path.dirname(box.entry), box.entry,
        box.cache_home, os.path.dirname(download), download,
    ]
    return sorted(box.relative(path) for path in paths)


class InstallSetupTest(unittest.TestCase):
    def setUp(self):
        installtest.require_drivers(self)
        self.box = installtest.InstallSandbox("setup first")
        self.addCleanup(self.box.cleanup)
        self.download = self.box.place(installtest.SETUP_DRIVER, "Downloads", "korvane")

    def test_first_run_makes_exactly_the_installation(self):
        box = self.box
        box.run_setup(self.download)

        self.assertEqual(sorted(installtest.snapshot(box.root)), expected_tree(box, self.download))

        exe = box.installed
        self.assertIn(" ", exe, "the sandbox path has a blank, so quoting matters")
        shortcuts = {
            os.path.join(box.desktop, DESKTOP_LINK):
                [("Type", "Application"), ("Name", "《Korvane》"),
                 ("Exec", '"%s" 1' % exe), ("Terminal", "false")],
            os.path.join(box.menu, PROGRAM_LINK):
                [("Type", "Application"), ("Name", "Korvane"),
                 ("Exec", '"%s" 1' % exe), ("Terminal", "false")],
            os.path.join(box.menu, UNINSTALL_LINK):
                [("Type", "Application"), ("Name", "卸载-Korvane"),
                 ("Exec", '"%s" -u' % exe),
                 ("Icon", os.path.join(box.res_folder, "uninstall.ico")),
                 ("Terminal", "false")],
        }
        for path, pairs in shortcuts.items():
            self.assertEqual(installtest.read_desktop(path), pairs, path)
            self.assertEqual(installtest.validate(path), (0, ""), path)
            self.assertEqual(stat.S_IMODE(os.stat(path).st_mode), 0o755, path)

        values = [("Path", exe), ("DisplayName", "Korvane"), ("Publisher", ""),
                  ("UninstallString", exe + " -u")]
        self.assertEqual(installtest.read_profile(box.entry), {"VexaKorvane": values})
        self.assertEqual(installtest.read_profile(box.profile), {"VexaKorvane": values})

        self.assertEqual(kvtest.read_bytes(exe), kvtest.read_bytes(self.download))
        self.assertEqual(stat.S_IMODE(os.stat(exe).st_mode), 0o755)
        self.assertEqual(kvtest.file_version_of(exe), "1.0.0.0")

        defaults = os.path.join(installtest.SOURCE_DIR, "res", "defaults")
        self.assertEqual(kvtest.read_bytes(os.path.join(box.res_folder, "uninstall.ico")),
                         kvtest.read_bytes(os.path.join(defaults, "uninstall.ico")))
        # The shipped settings, with the unpacked marker added and the
        # first-start marker reset by the copy.
        shipped = installtest.read_profile(os.path.join(defaults, "systemset.ini"))
        shipped["Setting"].append(("start", "1001"))
        shipped["Start"] = [("firststart", "0")]
        self.assertEqual(installtest.read_profile(os.path.join(box.res_folder, "systemset.ini")),
                         shipped)

    def test_later_runs_of_the_same_version_rewrite_only_the_menu_shortcuts(self):
        box = self.box
        box.run_setup(self.download)
        menu_shortcuts = sorted(box.relative(os.path.join(box.menu, name))
                                for name in (PROGRAM_LINK, UNINSTALL_LINK))

        before = installtest.snapshot(box.root)
        box.run_setup(self.download)
        self.assertEqual(installtest.changed_paths(before, installtest.snapshot(box.root)),
                         menu_shortcuts)

        # The installed copy, started through the program shortcut by a real
        # freedesktop launcher, runs the setup again.
        before = installtest.snapshot(box.root)
        with kvtest.Subreaper() as reaper:
            launch = kvtest.run("gio", ["launch", os.path.join(box.menu, PROGRAM_LINK)], box.env)
            self.assertEqual(launch.code, 0, launch)
            started = reaper.wait_for_adopted(timeout=30)
            self.assertIsNotNone(started, "the shortcut started nothing")
            self.assertEqual(reaper.reap(started.pid), 0)
        self.assertEqual(installtest.changed_paths(before, installtest.snapshot(box.root)),
                         menu_shortcuts)

    def test_each_shortcut_starts_the_installed_copy_with_its_argument(self):
        box = self.box
        box.run_setup(self.download)
        # A stand-in for the installed copy that writes down how it was started.
        record = os.path.join(box.root, "started.txt")
        with open(box.installed, "w") as f:
            f.write('#!/bin/sh\nprintf "%s|" "$0" "$@" >> "$RECORD"\necho >> "$RECORD"\n')
        env = dict(box.env, RECORD=record)
        shortcuts = [(os.path.join(box.desktop, DESKTOP_LINK), "1"),
                     (os.path.join(box.menu, PROGRAM_LINK), "1"),
                     (os.path.join(box.menu, UNINSTALL_LINK), "-u")]
        with kvtest.Subreaper() as reaper:
            for shortcut, argument in shortcuts:
                launch = kvtest.run("gio", ["launch", shortcut], env)
                self.assertEqual(launch.code, 0, launch)
                started = reaper.wait_for_adopted(timeout=30)
                self.assertIsNotNone(started, shortcut)
                self.assertEqual(reaper.reap(started.pid), 0, shortcut)
                with open(record) as f:
                    lines = f.read().splitlines()
                self.assertEqual(lines[-1], "%s|%s|" % (box.installed, argument), shortcut)
        self.assertEqual(len(lines), 3)

    def test_a_deleted_desktop_shortcut_comes_back(self):
        box = self.box
        box.run_setup(self.download)
        link = os.path.join(box.desktop, DESKTOP_LINK)
        content = kvtest.read_bytes(link)
        os.remove(link)
        box.run_setup(self.download)
        self.assertEqual(kvtest.read_bytes(link), content)


if __name__ == "__main__":
    unittest.main()
