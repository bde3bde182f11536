"""Uninstallation on the real launcher in a sandboxed home.

The round trip starts the uninstall shortcut with a real freedesktop launcher
(`gio launch`): the installed launcher shows its confirmation box, which is
answered from the keyboard (Escape declines, Return agrees).

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


class UninstallRoundTripTest(unittest.TestCase):
    """The confirmation stage started from the uninstall shortcut, both answers."""

    def setUp(self):
        installtest.require_drivers(self)
        self.box = installtest.InstallSandbox("round trip")
        self.addCleanup(self.box.cleanup)
        download = self.box.place(installtest.SETUP_DRIVER, "Downloads", "korvane")
        self.box.run_setup(download)
        self.box.copy_executable(kvtest.KORVANE_BIN, self.box.installed)
        self.copy = os.path.join(self.box.cache_folder, UNINSTALL_COPY)

    def confirm(self, key):
        """Starts the uninstall shortcut, answers the box with `key` and waits for
        the confirmation stage to end; returns what it left running."""
        box = self.box
        with kvtest.Subreaper() as reaper:
            launch = kvtest.run("gio", ["launch", os.path.join(box.menu, UNINSTALL_LINK)],
                                box.env)
            self.assertEqual(launch.code, 0, launch)
            stage = reaper.wait_for_adopted(timeout=30)
            self.assertIsNotNone(stage, "the uninstall shortcut started nothing")
            self.assertEqual(stage.argv, [box.installed, "-u"])
            window = installtest.find_window("^卸载$")
            installtest.press_key(window, key)
            self.assertEqual(reaper.reap(stage.pid, timeout=30), 0)
            # Whatever the stage started is ours now that it has ended.
            started = [reaper.describe(pid) for pid in reaper.children()]
            for process in started:
                self.assertEqual(reaper.reap(process.pid, timeout=60), 0, process)
            return started

    def test_declined_leaves_everything(self):
        box = self.box
        before = installtest.snapshot(box.root)
        self.assertEqual(self.confirm("Escape"), [], "declining starts nothing")
        self.assertEqual(installtest.changed_paths(before, installtest.snapshot(box.root)), [],
                         "not a file or folder of the sandbox changed")
        self.assertTrue(os.path.isfile(os.path.join(box.desktop, DESKTOP_LINK)))
        self.assertTrue(os.path.isfile(box.entry))

    def test_accepted_removes_the_installation(self):
        box = self.box
        installed_bytes = kvtest.read_bytes(box.installed)
        links = {os.path.join(box.desktop, DESKTOP_LINK), os.path.join(box.menu, PROGRAM_LINK),
                 os.path.join(box.menu, UNINSTALL_LINK)}
        entry = kvtest.read_bytes(box.entry)
        profile = kvtest.read_bytes(box.profile)

        started = self.confirm("Return")

        self.assertEqual(len(started), 1, "exactly the removal stage: %r" % started)
        self.assertEqual(kvtest.read_bytes(self.copy), installed_bytes,
                         "the temporary copy is the launcher and stays")
        trash = installtest.read_trash(box.trash)
        self.assertEqual(set(trash), links | {box.res_folder, box.menu, box.menu_parent})
        self.assertFalse(os.path.lexists(box.installed))
        self.assertEqual(os.listdir(box.program_folder), [])
        self.assertEqual(kvtest.read_bytes(box.entry), entry)
        self.assertEqual(kvtest.read_bytes(box.profile), profile)


if __name__ == "__main__":
    unittest.main()
