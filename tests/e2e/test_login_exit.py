"""Alt+F4 on the login windows asks whether to leave: refusing changes nothing,
agreeing ends the launcher with exit code 0."""

import time
import unittest

import kvtest
import logintest as lt

BOX_SIZE = (256, 110)


def message_box():
    boxes = [w for w in lt.visible_windows() if w.size == BOX_SIZE]
    return boxes[0] if boxes else None


class ExitQuestion(unittest.TestCase):
    def setUp(self):
        kvtest.require_binaries(self)
        self.sandbox = lt.LoginSandbox("login-exit")
        self.site = lt.DemoSite()
        self.launcher = lt.Launcher(self.sandbox, self.site.base + lt.LOGIN_PATH, self.site.base)

    def tearDown(self):
        self.launcher.stop()
        self.site.stop()
        self.sandbox.cleanup()

    def ask(self, window, is_popup):
        if is_popup:
            lt.focus_popup(window)
        else:
            lt.xdotool("windowactivate", "--sync", window.id)
        lt.xdotool("key", "--clearmodifiers", "alt+F4")
        return lt.wait_for(message_box, 20, "the exit question")

    def test_refused_then_agreed_from_both_windows(self):
        found = lt.wait_for_login_windows()
        login, popup = found["login"], found["popup"]
        lt.wait_for_page_shown(popup, name="exit-login-page.png")

        for window, name in ((login, "login window"), (popup, "pop-up")):
            box = self.ask(window, window is popup)
            lt.Screen("exit-question-%s.png" % ("login" if window is login else "popup"))
            self.assertEqual((box.x, box.y, box.width, box.height)[2:], BOX_SIZE, name)
            lt.xdotool("key", "Escape")  # the box's own refusal
            lt.wait_for(lambda: message_box() is None, 20, "the question to close")
            time.sleep(0.5)
            now = lt.windows()
            self.assertIsNotNone(now["login"], name)
            self.assertIsNotNone(now["popup"], name)
            self.assertEqual((now["popup"].x - now["login"].x, now["popup"].y - now["login"].y),
                             lt.POPUP_OFFSET, name)
            self.assertIsNone(self.launcher.process.poll(), name)

        self.ask(popup, True)
        lt.xdotool("key", "Return")  # agreed
        self.assertEqual(self.launcher.process.wait(timeout=20), 0, self.launcher.output())


if __name__ == "__main__":
    unittest.main()
