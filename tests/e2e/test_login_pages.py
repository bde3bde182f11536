"""The game page marker on real WebKit navigations of the login page: in
capitals it is an ordinary address; in a frame's address it is intercepted like
any other navigation, and the main window shows that address."""

import time
import unittest

import kvtest
import logintest as lt

# After loading, the page sends itself to an address with the marker in capitals.
CAPITALS_PAGE = """<!doctype html><html><body style="background:#fff">
<p id="state">login page</p>
<script>
window.addEventListener('load', function () {
  setTimeout(function () { location.href = '/game/play?PLAY_GAMECODE=caps'; }, 300);
});
</script></body></html>"""
CAPITALS_TARGET = "/game/play?PLAY_GAMECODE=caps"
CAPITALS_REPLY = """<!doctype html><html><body style="background:#0a0">
<p>not a game page</p></body></html>"""

# A frame whose address carries the marker.
FRAME_PAGE = """<!doctype html><html><body style="background:#fff">
<p>login page with a frame</p>
<iframe src="/news/frame?play_gamecode=framed" width="300" height="100"></iframe>
</body></html>"""
FRAME_TARGET = "/news/frame?play_gamecode=framed"
FRAME_REPLY = """<!doctype html><html><body style="background:#00a;color:#fff">
<p>framed page</p></body></html>"""


class GamePageMarker(unittest.TestCase):
    def setUp(self):
        kvtest.require_binaries(self)
        self.sandbox = lt.LoginSandbox("login-pages")
        self.server = None
        self.launcher = None

    def tearDown(self):
        if self.launcher:
            self.launcher.stop()
        if self.server:
            self.server.stop()
        self.sandbox.cleanup()

    def start(self, pages):
        self.server = lt.PageServer(pages)
        self.launcher = lt.Launcher(self.sandbox, self.server.base + lt.LOGIN_PATH,
                                    self.server.base)

    def test_marker_in_capitals_is_an_ordinary_address(self):
        self.start({lt.LOGIN_PATH: CAPITALS_PAGE, "/game/play": CAPITALS_REPLY})
        lt.wait_for_login_windows()
        lt.wait_for(lambda: CAPITALS_TARGET in self.server.targets(), 30,
                    "the page's navigation to the address in capitals")
        time.sleep(2.0)
        found = lt.windows()
        self.assertIsNotNone(found["login"], "the login goes on")
        self.assertIsNotNone(found["popup"])
        self.assertIsNone(found["main"])
        self.assertEqual(self.server.targets().count(CAPITALS_TARGET), 1)
        self.assertIsNone(self.launcher.process.poll(), self.launcher.output())

    def test_marker_in_a_frame_is_intercepted_and_shown_in_the_main_window(self):
        self.start({lt.LOGIN_PATH: FRAME_PAGE, "/news/frame": FRAME_REPLY})
        main = lt.wait_for_main_window()
        self.assertEqual((main.x, main.y), (0, 0))
        # The login page never loaded the frame; the main window then loads that
        # address as its page.
        lt.wait_for(lambda: FRAME_TARGET in self.server.targets(), 30,
                    "the main window's request for the frame's address")
        time.sleep(1.0)
        self.assertEqual(self.server.targets().count(FRAME_TARGET), 1, self.server.targets())
        self.assertEqual(self.server.targets().count(lt.LOGIN_PATH), 1)
        self.assertIsNone(self.launcher.process.poll(), self.launcher.output())


if __name__ == "__main__":
    unittest.main()
