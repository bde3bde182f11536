"""Uninstallation on the real launcher in a sandboxed home.

An installation is made by the setup driver, and the launcher itself
(KORVANE_BIN, the same version) is put in place of the installed copy. The
removal stage runs from the temporary copy <data>/cache/q7kovrtmpu.exe with
the single argument "-u " + the installed copy's path, as the confirmation
stage starts it. Afterwards the freedesktop trash of the sandbox must hold the
three shortcuts, the res folder and the emptied menu folders, each with a
valid .trashinfo; the installed executable must be gone for good; and the
uninstall entry, the profile copy, the program folder and the temporary copy
must still be there.
"""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import installtest  # noqa: E402
import kvtest  # noqa: E402
from installtest import DESKTOP_LINK, PROGRAM_LINK, UNINSTALL_COPY, UNINSTALL_LINK  # noqa: E402


class UninstallTest(unittest.TestCase):
    def setUp(self):
        installtest.require_drivers(self)
        self.box = installtest.InstallSandbox("uninstall here")
        self.addCleanup(self.box.cleanup)
        self.download = self.box.place(installtest.SETUP_DRIVER, "Downloads", "korvane")
        self.box.run_setup(self.download)
        self.box.copy_executable(kvtest.KORVANE_BIN, self.box.installed)
        self.copy = os.path.join(self.box.cache_folder, UNINSTALL_COPY)

    def run_removal(self, target):
        """The removal stage from the temporary copy, as the confirmation starts it."""
        self.box.copy_executable(kvtest.KORVANE_BIN, self.copy)
        result = kvtest.run(self.copy, ["-u " + target], self.box.env, timeout=60)
        self.assertEqual(result.code, 0, result)

    def assert_kept(self, paths):
        for path in paths:
            self.assertTrue(os.path.exists(path), "%s must remain" % path)

    def test_removal_trashes_shortcuts_and_res_and_deletes_the_executable(self):
        box = self.box
        links = {os.path.join(box.desktop, DESKTOP_LINK), os.path.join(box.menu, PROGRAM_LINK),
                 os.path.join(box.menu, UNINSTALL_LINK)}
        contents = {path: kvtest.read_bytes(path) for path in links}
        res_files = sorted(os.listdir(box.res_folder))
        entry = kvtest.read_bytes(box.entry)
        profile = kvtest.read_bytes(box.profile)

        self.run_removal(box.installed)

        trash = installtest.read_trash(box.trash)
        self.assertEqual(set(trash), links | {box.res_folder, box.menu, box.menu_parent})
        for path in links:
            self.assertEqual(kvtest.read_bytes(trash[path]), contents[path], path)
        self.assertEqual(sorted(os.listdir(trash[box.res_folder])), res_files)

        self.assertFalse(os.path.lexists(box.installed))
        self.assertNotIn(box.installed, trash, "the executable is deleted, not trashed")
        self.assertEqual(os.listdir(box.program_folder), [], "the program folder itself stays")
        self.assertEqual(kvtest.read_bytes(box.entry), entry)
        self.assertEqual(kvtest.read_bytes(box.profile), profile)
        self.assert_kept([self.copy, self.download, box.desktop,
                          os.path.join(box.data_home, "applications")])

    def test_a_menu_folder_holding_another_file_survives(self):
        box = self.box
        notes = os.path.join(box.menu, "notes.txt")
        with open(notes, "w") as f:
            f.write("the user's own file\n")

        self.run_removal(box.installed)

        trash = installtest.read_trash(box.trash)
        self.assertNotIn(box.menu, trash)
        self.assertNotIn(box.menu_parent, trash)
        self.assertEqual(os.listdir(box.menu), ["notes.txt"])
        self.assertIn(os.path.join(box.menu, UNINSTALL_LINK), trash)
        self.assertIn(box.res_folder, trash)

    def test_a_stray_command_line_cannot_remove_the_users_files(self):
        box = self.box
        documents = os.path.join(box.home, "Documents")
        os.makedirs(os.path.join(documents, "res"))
        victim = os.path.join(documents, "korvane")
        with open(victim, "w") as f:
            f.write("the user's own file\n")
        with open(os.path.join(documents, "res", "keep.txt"), "w") as f:
            f.write("the user's own folder\n")

        self.run_removal(victim)

        trash = installtest.read_trash(box.trash)
        self.assertEqual(set(trash),
                         {os.path.join(box.desktop, DESKTOP_LINK),
                          os.path.join(box.menu, PROGRAM_LINK),
                          os.path.join(box.menu, UNINSTALL_LINK), box.menu, box.menu_parent},
                         "the shortcuts go, nothing of the user's does")
        self.assertEqual(kvtest.read_bytes(victim), b"the user's own file\n")
        self.assertTrue(os.path.isfile(os.path.join(documents, "res", "keep.txt")))
        self.assert_kept([box.installed, os.path.join(box.res_folder, "systemset.ini")])


if __name__ == "__main__":
    unittest.main()
