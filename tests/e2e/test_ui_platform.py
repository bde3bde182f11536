"""The window-system services of the backend on a real X server: global
hotkeys (with NumLock on too), messages between processes' windows, the
window-exists test, screen and work area, and window-manager states."""

import os
import re
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import skin_e2e as e2e  # noqa: E402


def helper(*args):
    with tempfile.TemporaryDirectory(prefix="korvane-ui-helper-") as home:
        return subprocess.run([e2e.DRIVER, *args], capture_output=True, text=True, timeout=30,
                              env=e2e.private_home_env(home)).stdout.strip()


class PlatformTest(unittest.TestCase):
    def setUp(self):
        self.driver = e2e.Driver("platform")
        self.xid = int(self.driver.wait_line(r"^id \d+$").split()[1])
        self.window = e2e.find_window("^korvane-driver-platform$")
        time.sleep(0.3)

    def tearDown(self):
        self.driver.stop()

    def test_hotkeys_reach_the_window_wherever_the_focus_is(self):
        self.assertEqual(self.driver.wait_line(r"^hotkeys"), "hotkeys 1 1")
        other = e2e.Driver("messagebox", "focus", "elsewhere",
                           env={"KORVANE_DRIVER_NO_OWNER": "1"})
        try:
            e2e.find_window("^focus$")
            time.sleep(0.3)
            cases = [("F5", "F5", "hotkey 1"), ("Ctrl+Shift+B", "ctrl+shift+b", "hotkey 2")]
            for name, keys, expected in cases:
                with self.subTest(name):
                    before = self.driver.output().count(expected)
                    e2e.key(keys)
                    e2e.wait_for(lambda: self.driver.output().count(expected) > before, 5, name)
            # NumLock held does not stop a hotkey; a plain B is no hotkey.
            e2e.key("Num_Lock")
            before = self.driver.output().count("hotkey 1")
            e2e.key("F5")
            e2e.wait_for(lambda: self.driver.output().count("hotkey 1") > before, 5, "F5 + NumLock")
            e2e.key("Num_Lock")
            before = len(self.driver.output())
            e2e.key("b")
            time.sleep(0.5)
            self.assertFalse([l for l in self.driver.output()[before:] if l.startswith("hotkey")])
        finally:
            other.stop()

    def test_messages_between_processes(self):
        cases = [(3027, 1), (3027, 0), (3026, 0), (3025, 0x1234567890)]
        for message, param in cases:
            with self.subTest(message=message, param=param):
                self.assertEqual(helper("send", str(self.xid), str(message), str(param)), "sent 1")
                self.driver.wait_line(r"^message %d %d$" % (message, param), 5)
        self.assertEqual(helper("exists", str(self.xid)), "exists 1")
        self.assertEqual(helper("exists", "12345"), "exists 0")
        self.assertEqual(helper("send", "12345", "3027", "0"), "sent 0")

    def test_screen_work_area_and_states(self):
        screen = tuple(int(v) for v in self.driver.wait_line(r"^screen").split()[1:])
        work = tuple(int(v) for v in self.driver.wait_line(r"^workarea").split()[1:])
        root = e2e.run("xwininfo", "-root")
        self.assertEqual(screen, (int(re.search(r"Width: (\d+)", root).group(1)),
                                  int(re.search(r"Height: (\d+)", root).group(1))))
        net = e2e.run("xprop", "-root", "_NET_WORKAREA")
        expected = tuple(int(v) for v in re.findall(r"\d+", net.split("=", 1)[1])[:4])
        self.assertEqual(work, expected)

        restored = e2e.geometry(self.window)
        self.assertEqual(restored, (200, 150, 640, 400))
        cases = [
            ("maximise", 1, "state 2", (work[0], work[1], work[2], work[3])),
            ("restore", 2, "state 0", restored),
            ("fullscreen", 3, "state 3", (0, 0) + screen),
            ("leave fullscreen", 4, "state 0", restored),
        ]
        for name, message, state, geometry in cases:
            with self.subTest(name):
                count = self.driver.output().count(state)
                helper("send", str(self.xid), str(message), "0")
                e2e.wait_for(lambda: self.driver.output().count(state) > count, 5, name)
                e2e.wait_for(lambda: e2e.geometry(self.window) == geometry, 5,
                             "%s geometry %s (is %s)" % (name, geometry,
                                                         e2e.geometry(self.window)))
        helper("send", str(self.xid), "5", "0")
        self.driver.wait_line(r"^state 1$", 5)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], exit=True)
