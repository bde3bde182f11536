"""An ordinary launch on a real X server with a window manager and WebKit: the
login window and its pop-up, the installation, the version request before the
page is revealed, Escape and Space in the page, the login and the game page in
the maximised main window."""

import os
import time
import unittest

import kvtest
import logintest as lt


class OrdinaryLaunch(unittest.TestCase):
    def setUp(self):
        kvtest.require_binaries(self)
        self.sandbox = lt.LoginSandbox("login")
        self.site = lt.DemoSite()
        self.versions = lt.VersionServer("0")
        self.launcher = lt.Launcher(self.sandbox, self.site.base + lt.LOGIN_PATH,
                                    self.versions.base)

    def tearDown(self):
        self.launcher.stop()
        self.versions.stop()
        self.site.stop()
        self.sandbox.cleanup()

    def test_login_reaches_the_game_in_the_main_window(self):
        found = lt.wait_for_login_windows()
        login, popup = found["login"], found["popup"]
        self.assertEqual((popup.x - login.x, popup.y - login.y), lt.POPUP_OFFSET)
        self.assertEqual(popup.size, lt.POPUP_SIZE)
        self.assertEqual(login.size, lt.LOGIN_SIZE)

        # The version request is out and held: the log has it, the page is collapsed.
        lt.wait_for(lambda: self.versions.requests, 30, "the version request")
        self.assertTrue(self.versions.requests[0].startswith(
            "/getClientVersion.php?p=vexagame&g=kovr&v=1.0.0.0"), self.versions.requests)
        messages = self.sandbox.log_messages()
        self.assertIn(self.versions.base + "/getClientVersion.php?p=vexagame&g=kovr&v=1.0.0.0",
                      messages)
        self.assertIn("GET /login/lorvik/gy", self.site.log(), "the page itself has loaded")
        time.sleep(1.0)
        during = lt.Screen("login-window-with-popup.png")
        self.assertLess(during.difference_from_background(popup), 3,
                        "the page stays collapsed during the check")
        self.assertEqual((login.x, login.y), ((during.width - lt.LOGIN_SIZE[0]) // 2,
                                              (during.height - lt.LOGIN_SIZE[1]) // 2),
                         "centred on the work area (the whole screen here)")

        # Installed before the page is shown: the installation runs at start.
        self.assertTrue(os.path.isfile(self.sandbox.installed))
        self.assertTrue(os.access(self.sandbox.installed, os.X_OK))
        for name in ("systemset.ini", "uninstall.ico"):
            self.assertTrue(os.path.isfile(os.path.join(self.sandbox.res_folder, name)), name)
        self.assertTrue(os.path.isfile(os.path.join(self.sandbox.desktop, "《Korvane》.desktop")))
        for name in ("Korvane.desktop", "卸载-Korvane.desktop"):
            self.assertTrue(os.path.isfile(os.path.join(self.sandbox.menu, name)), name)

        self.versions.release()
        lt.wait_for_page_shown(popup, name="login-page.png")
        messages = self.sandbox.log_messages()
        self.assertIn("Finish Update.", messages, "revealed only after the check finished")

        # Escape closes nothing and no question comes up.
        lt.focus_popup(popup)
        lt.key("Escape")
        time.sleep(1.0)
        after_escape = lt.windows()
        self.assertIsNotNone(after_escape["login"])
        self.assertIsNotNone(after_escape["popup"])
        self.assertIsNone(after_escape["main"])
        self.assertEqual(len([w for w in lt.visible_windows() if w.size == (256, 110)]), 0,
                         "no message box")

        # A space typed into the account field has no effect: "play er1" logs in as player1.
        lt.log_in(popup, account="play er1")
        main = lt.wait_for_main_window()
        self.assertEqual((main.x, main.y, main.width, main.height), (0, 0, during.width,
                                                                      during.height),
                         "maximised over the work area")
        lt.wait_for(lambda: "GET /game/play?play_gamecode=" in self.site.log(), 30,
                    "the game page request")
        log = self.site.log()
        self.assertIn("login accepted for 'player1'", log)
        self.assertEqual(log.count("GET /game/play?play_gamecode="), 1,
                         "loaded once, by the main window: the login page's navigation was "
                         "cancelled")
        lt.wait_for_game_drawn(main)
        self.assertIsNone(self.launcher.process.poll(), self.launcher.output())


if __name__ == "__main__":
    unittest.main()
