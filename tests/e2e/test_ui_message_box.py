"""The skinned message box on the real backend: each answer from keys and
clicks, dragging by its face, and a screenshot that shows it whole."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import skin_e2e as e2e  # noqa: E402

TITLE = "关闭提示"
MESSAGE = "是否退出《Korvane》登入器？"


def open_box(**env):
    driver = e2e.Driver("messagebox", TITLE, MESSAGE, env=env)
    window = e2e.find_window("^" + TITLE + "$")
    e2e.wait_for(lambda: e2e.geometry(window)[2] == 256, what="the box mapped")
    time.sleep(0.3)
    return driver, window


class MessageBoxTest(unittest.TestCase):
    def test_answers(self):
        # (case, action given the box's screen corner, expected result)
        cases = [
            ("Enter", lambda x, y: e2e.key("Return"), 1),
            ("Escape", lambda x, y: e2e.key("Escape"), 2),
            ("OK button", lambda x, y: e2e.click(x + 36 + 41, y + 66 + 17), 1),
            ("Cancel button", lambda x, y: e2e.click(x + 138 + 41, y + 66 + 17), 2),
            ("close cross", lambda x, y: e2e.click(x + 237 + 4, y + 10 + 4), 2),
            ("Alt+F4", lambda x, y: e2e.key("alt+F4"), 2),
        ]
        for name, action, expected in cases:
            with self.subTest(name):
                driver, window = open_box()
                with driver:
                    x, y, _, _ = e2e.geometry(window)
                    action(x, y)
                    line = driver.wait_line(r"^result \d+$")
                    self.assertEqual(line, "result %d" % expected, name)

    def test_placed_at_the_owners_corner_and_sized(self):
        driver, window = open_box()
        with driver:
            owner = e2e.geometry(e2e.find_window("^korvane-driver-main$"))
            box = e2e.geometry(window)
            self.assertEqual(box, (owner[0], owner[1], 256, 110))
            e2e.key("Escape")
            driver.wait_line(r"^result")

    def test_dragged_by_its_face(self):
        driver, window = open_box()
        with driver:
            x, y, _, _ = e2e.geometry(window)
            e2e.run("xdotool", "mousemove", "--sync", str(x + 128), str(y + 50))
            e2e.run("xdotool", "mousedown", "1")
            for step in range(1, 11):
                e2e.run("xdotool", "mousemove", "--sync", str(x + 128 + 12 * step),
                        str(y + 50 + 8 * step))
                time.sleep(0.03)
            e2e.run("xdotool", "mouseup", "1")
            moved = e2e.wait_for(lambda: e2e.geometry(window)[0] != x and e2e.geometry(window),
                                 5, "the box to move")
            self.assertLessEqual(abs(moved[0] - (x + 120)), 4)
            self.assertLessEqual(abs(moved[1] - (y + 80)), 4)
            e2e.key("Return")
            self.assertEqual(driver.wait_line(r"^result"), "result 1")

    def test_screenshot_shows_the_whole_box(self):
        driver, window = open_box()
        with driver:
            x, y, w, h = e2e.geometry(window)
            suffix = "" if e2e.compositor_running() else "_no_compositor"
            shot = e2e.Screenshot("message_box%s.png" % suffix)
            self.assertLess(shot.dark_share(x, y, w, h, limit=4), 0.05, "no black areas")
            self.assertGreater(len(shot.colours(x, y, w, h)), 50, "a skinned face, not empty")
            # Title (white) and message (pinkish white) ink where they belong.
            title = shot.colours(x + 78, y + 8, 100, 25)
            text = shot.colours(x + 28, y + 35, 200, 30)
            self.assertTrue(any(e2e.near(c, (255, 255, 255), 2) for c in title))
            self.assertTrue(any(e2e.near(c, (255, 236, 247), 2) for c in text))
            e2e.key("Escape")
            driver.wait_line(r"^result")


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], exit=True)
