"""The update check of an ordinary launch: a newer build offered by the update
server is downloaded and handed over to, and it comes up in place of the
running launcher; with the update server unreachable the failure is logged and
the login goes on."""

import os
import time
import unittest

import kvtest
import logintest as lt

NEXT_VERSION = "1.0.0.9"


class UpdateAtLogin(unittest.TestCase):
    def setUp(self):
        kvtest.require_binaries(self)
        self.sandbox = lt.LoginSandbox("login-update")
        self.site = None
        self.launcher = None
        self.reaper = kvtest.Subreaper()

    def tearDown(self):
        if self.launcher:
            self.launcher.stop()
        # Helper processes of a stopped launcher are adopted once it has gone.
        self.reaper.stop_all()
        time.sleep(0.5)
        self.reaper.stop_all()
        if self.site:
            self.site.stop()
        self.sandbox.cleanup()

    def test_a_newer_build_is_handed_over_to_and_comes_up(self):
        self.assertEqual(kvtest.file_version_of(kvtest.KORVANE_NEXT_BIN), NEXT_VERSION)
        self.site = lt.DemoSite("--offer-update", kvtest.KORVANE_NEXT_BIN,
                                "--offer-version", NEXT_VERSION)
        self.launcher = lt.Launcher(self.sandbox, self.site.base + lt.LOGIN_PATH, self.site.base)
        self.reaper.ignore(self.launcher.process.pid)

        # The first launcher downloads, starts the hand-over and ends with 0.
        self.assertEqual(self.launcher.process.wait(timeout=60), 0, self.launcher.output())
        messages = self.sandbox.log_messages()
        self.assertIn("ExcuUpdate,URL=%s/download/korvane-%s" % (self.site.base, NEXT_VERSION),
                      messages)
        self.assertTrue(any(m.startswith("Finish download,file md5=") for m in messages),
                        messages)

        # The new build replaces the installed copy and runs as the launcher.
        lt.wait_for(lambda: "version '%s' asked" % NEXT_VERSION in self.site.log(), 60,
                    "the new version's own version request")
        self.assertEqual(kvtest.file_version_of(self.sandbox.installed), NEXT_VERSION)
        running = [self.reaper.describe(pid) for pid in self.reaper.children()]
        self.assertTrue(any(p and not p.zombie and p.exe == self.sandbox.installed
                            for p in running), running)
        found = lt.wait_for_login_windows()
        page = lt.wait_for_page_shown(found["popup"], name="update-new-version-login.png")
        self.assertIsNotNone(page)

        lt.log_in(found["popup"])
        lt.wait_for_main_window()
        lt.wait_for(lambda: "GET /game/play?play_gamecode=" in self.site.log(), 30,
                    "the game page in the new version's main window")

    def test_unreachable_update_server_still_reveals_the_page_and_login_works(self):
        self.site = lt.DemoSite()
        self.launcher = lt.Launcher(self.sandbox, self.site.base + lt.LOGIN_PATH,
                                    lt.closed_port_address())
        found = lt.wait_for_login_windows()
        lt.wait_for_page_shown(found["popup"], name="unreachable-update-login.png")
        messages = self.sandbox.log_messages()
        at = messages.index("Try Download File Exception")
        self.assertEqual(messages[at + 2:], ["Server response check version msg:",
                                             "Finish Update.", "====================="],
                         messages)
        self.assertTrue(messages[0].endswith("/getClientVersion.php?p=vexagame&g=kovr&v=1.0.0.0"),
                        messages)

        lt.log_in(found["popup"])
        lt.wait_for_main_window()
        lt.wait_for(lambda: "GET /game/play?play_gamecode=" in self.site.log(), 30,
                    "the game page")
        self.assertIsNone(self.launcher.process.poll(), self.launcher.output())


if __name__ == "__main__":
    unittest.main()
