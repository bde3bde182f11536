"""When the installation replaces the installed copy, and what it does when
the machine-wide configuration folder cannot be written.

A newer build (the setup driver with version 1.0.0.9) started from another
folder replaces the installed copy; the older build started afterwards does
not put itself back. An installed copy without version information is always
replaced. With XDG_CONFIG_DIRS pointing below a regular file (root ignores
permission bits, a file in the path stops it) everything but the uninstall
entry is done.
"""

import os
import stat
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import installtest  # noqa: E402
import kvtest  # noqa: E402


class InstallUpdatesTest(unittest.TestCase):
    def setUp(self):
        installtest.require_drivers(self)
        self.box = installtest.InstallSandbox("updates")
        self.addCleanup(self.box.cleanup)
        self.download = self.box.place(installtest.SETUP_DRIVER, "Downloads", "korvane")

    def settings(self):
        return installtest.read_profile(os.path.join(self.box.res_folder, "systemset.ini"))

    def test_a_newer_build_from_elsewhere_replaces_the_installed_copy(self):
        box = self.box
        box.run_setup(self.download)
        entry = kvtest.read_bytes(box.entry)
        profile = kvtest.read_bytes(box.profile)
        newer = box.place(installtest.SETUP_DRIVER_NEXT, "elsewhere", "korvane")
        self.assertEqual(kvtest.file_version_of(newer), "1.0.0.9")

        box.run_setup(newer)
        self.assertEqual(kvtest.read_bytes(box.installed), kvtest.read_bytes(newer))
        self.assertEqual(stat.S_IMODE(os.stat(box.installed).st_mode), 0o755)
        self.assertEqual(sorted(os.listdir(box.program_folder)), ["korvane", "res"],
                         "no temporary file is left beside the installed copy")
        # Same file name, so the entry and the profile copy stay as they were.
        self.assertEqual(kvtest.read_bytes(box.entry), entry)
        self.assertEqual(kvtest.read_bytes(box.profile), profile)

        # The older build does not put itself back.
        before = installtest.snapshot(box.root)
        box.run_setup(self.download)
        self.assertEqual(kvtest.file_version_of(box.installed), "1.0.0.9")
        self.assertNotIn(box.relative(box.installed),
                         installtest.changed_paths(before, installtest.snapshot(box.root)))

    def test_an_installed_copy_without_version_information_is_replaced(self):
        box = self.box
        box.install(kvtest.KORVANE_BIN)  # puts the folders in place
        with open(box.installed, "w") as f:
            f.write("#!/bin/sh\necho an old launcher without a version record\n")
        self.assertEqual(kvtest.file_version_of(box.installed), "")

        box.run_setup(self.download)
        self.assertEqual(kvtest.read_bytes(box.installed), kvtest.read_bytes(self.download))
        self.assertEqual(self.settings()["Start"], [("firststart", "0")])

    def test_without_a_writable_machine_wide_folder_all_but_the_entry_is_done(self):
        box = self.box
        blocker = os.path.join(box.root, "not-a-folder")
        with open(blocker, "w") as f:
            f.write("a regular file where a folder would have to be\n")
        env = dict(box.env, XDG_CONFIG_DIRS=os.path.join(blocker, "xdg") + ":" + box.config_dirs)
        box.run_setup(self.download, env)

        self.assertFalse(os.path.exists(box.entry), "the entry went to the second config dir")
        self.assertEqual(os.listdir(box.config_dirs), [])
        for path in (os.path.join(box.desktop, installtest.DESKTOP_LINK),
                     os.path.join(box.menu, installtest.PROGRAM_LINK),
                     os.path.join(box.menu, installtest.UNINSTALL_LINK),
                     os.path.join(box.res_folder, "uninstall.ico")):
            self.assertTrue(os.path.isfile(path), path)
        self.assertEqual(kvtest.read_bytes(box.installed), kvtest.read_bytes(self.download))
        self.assertEqual(installtest.read_profile(box.profile)["VexaKorvane"][0],
                         ("Path", box.installed))
        settings = self.settings()
        self.assertIn(("start", "1001"), settings["Setting"])
        self.assertEqual(settings["Start"], [("firststart", "0")])


if __name__ == "__main__":
    unittest.main()
