"""The busy veil over a main window on the real backend, with and without a
compositing manager: its colour, its animation, the text, and that clicks on
the main window's area do not reach the main window while it is shown."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import skin_e2e as e2e  # noqa: E402

MAIN_FACE = (0xE8, 0xE8, 0xF0)
VEIL = (25, 25, 25)  # black at alpha 230 over white


class VeilTest(unittest.TestCase):
    def test_veil_covers_animates_and_blocks(self):
        with e2e.Driver("veil") as driver:
            main = e2e.find_window("^korvane-driver-main$")
            driver.wait_line("^veil shown$")
            time.sleep(0.5)
            x, y, w, h = e2e.geometry(main)
            composited = e2e.compositor_running()
            suffix = "" if composited else "_no_compositor"
            shot = e2e.Screenshot("veil%s.png" % suffix)

            # The face: the veil's grey, with the main window faintly through it
            # when a compositing manager applies the window's alpha of 229.
            expected = VEIL
            if composited:
                expected = tuple(round(v * 229 / 255 + m * 26 / 255)
                                 for v, m in zip(VEIL, MAIN_FACE))
            for px, py in ((x + 5, y + h - 5), (x + w - 5, y + 5), (x + w // 4, y + h // 4)):
                self.assertTrue(e2e.near(shot.pixel(px, py), expected, 3),
                                "veil colour at %d,%d: %s, expected %s" %
                                (px, py, shot.pixel(px, py), expected))
            self.assertLess(shot.dark_share(x, y, w, h, limit=4), 0.01, "no black areas")

            # The frame sits centred, 40 pixels above the middle, and moves every 200 ms.
            fx, fy = x + (w - 23) // 2, y + (h - 23) // 2 - 40
            frames = set()
            for _ in range(8):
                grab = e2e.Screenshot("veil_frame.png")
                frames.add(tuple(grab.pixel(fx + i, fy + j) for j in range(23) for i in range(23)))
                time.sleep(0.11)
            self.assertGreaterEqual(len(frames), 2, "the busy frame animates")
            os.remove(os.path.join(e2e.OUTPUT, "veil_frame.png"))

            # String 116 is drawn in its rectangle: light ink on the veil.
            tx, ty = x + (w - 200) // 2, y + (h - 31) // 2
            ink = [c for c in shot.colours(tx, ty, 200, 31) if min(c) > 150]
            self.assertTrue(ink, "the text's light ink")

            # Clicks on the main window's area reach the veil, not the main window.
            e2e.click(x + 100, y + h - 60)
            e2e.click(x + w - 100, y + 60)
            time.sleep(0.5)
            self.assertFalse([l for l in driver.output() if l.startswith("main click")],
                             driver.output())


class AlphaWindowTest(unittest.TestCase):
    def test_per_pixel_alpha_window(self):
        with e2e.Driver("alpha", "319"):
            window = e2e.find_window("^korvane-driver-alpha$")
            e2e.wait_for(lambda: e2e.geometry(window)[2:] == (1251, 733), what="skin size")
            time.sleep(0.5)
            x, y, w, h = e2e.geometry(window)
            suffix = "" if e2e.compositor_running() else "_no_compositor"
            shot = e2e.Screenshot("alpha_window%s.png" % suffix)
            # Fully transparent corners show the light window behind, with or
            # without compositing (then the window is cut to the image's shape).
            backdrop = (0xE8, 0xE8, 0xF0)
            self.assertEqual(shot.pixel(x + w + 20, y + 10), backdrop)
            for cx, cy in ((x + 1, y + 1), (x + w - 2, y + h - 2), (x + 1, y + h - 2)):
                self.assertEqual(shot.pixel(cx, cy), backdrop, "corner %d,%d" % (cx, cy))
            # The opaque middle of the skin is drawn, not black and not empty.
            self.assertGreater(len(shot.colours(x + 200, y + 200, 300, 200, step=3)), 20)
            self.assertLess(shot.dark_share(x + 40, y + 80, w - 80, h - 160, limit=3), 0.2)


if __name__ == "__main__":
    result = unittest.main(argv=[sys.argv[0]], exit=False).result
    ok = result.wasSuccessful()
    if ok and e2e.compositor_running():
        e2e.rerun_without_compositor(os.path.abspath(__file__))
    sys.exit(0 if ok else 1)
