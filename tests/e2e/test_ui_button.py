"""A skinned button on the real backend: hover brightening, clicks (two quick
clicks are two clicks) and its tooltip after the 2000 ms delay."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import skin_e2e as e2e  # noqa: E402

HINT = "全屏/取消全屏（快捷键F11）"


class ButtonTest(unittest.TestCase):
    def setUp(self):
        self.driver = e2e.Driver("button")
        main = e2e.find_window("^korvane-driver-main$")
        time.sleep(0.5)
        x, y, _, _ = e2e.geometry(main)
        self.button = (x + 150, y + 80, 59, 24)
        e2e.run("xdotool", "mousemove", "--sync", str(x + 5), str(y + 190))
        time.sleep(0.3)

    def tearDown(self):
        self.driver.stop()

    def picture(self, name):
        bx, by, bw, bh = self.button
        shot = e2e.Screenshot(name)
        return [shot.pixel(bx + i, by + j) for j in range(bh) for i in range(bw)]

    def test_hover_brightens_and_tooltip_follows_the_delay(self):
        normal = self.picture("button_normal.png")
        bx, by, bw, bh = self.button
        e2e.run("xdotool", "mousemove", "--sync", str(bx + bw // 2), str(by + bh // 2))
        started = time.monotonic()
        time.sleep(0.4)
        hover = self.picture("button_hover.png")
        brighter = sum(sum(h) > sum(n) for h, n in zip(hover, normal))
        self.assertGreater(brighter, len(normal) // 2, "the hover picture is brighter")
        self.assertTrue(all(sum(h) >= sum(n) - 3 for h, n in zip(hover, normal)))
        tip = e2e.find_window("^" + HINT + "$", timeout=6)
        self.assertGreaterEqual(time.monotonic() - started, 1.9, "not before the delay")
        tx, ty, _, _ = e2e.geometry(tip)
        self.assertGreater(ty, by, "below the pointer")
        e2e.Screenshot("button_tooltip.png")
        e2e.run("xdotool", "mousemove", "--sync", str(bx - 60), str(by + 80))
        e2e.wait_for(lambda: not e2e.visible_windows("^" + HINT + "$"), 5, "the tooltip to go")

    def test_clicks(self):
        bx, by, bw, bh = self.button
        e2e.click(bx + 10, by + 10)
        self.driver.wait_line("^command 1004$")
        e2e.click(bx + 10, by + 10, repeat=2)
        e2e.wait_for(lambda: self.driver.output().count("command 1004") == 3, 5, "two more clicks")
        e2e.click(bx - 30, by + 10)
        time.sleep(0.3)
        self.assertEqual(self.driver.output().count("command 1004"), 3)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], exit=True)
