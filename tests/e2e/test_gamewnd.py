"""The game window process on the real backend, inside the main window of
korvane-mainwnd-driver: it attaches below the title strip (a child of the
frame's X window), follows fullscreen, restore and maximise, reloads on the
refresh button, takes Esc and Enter into its page without closing, ends when
the frame is closed through its exit prompt and when the frame's process is
killed, and refuses a frame id that names no window."""

import os
import subprocess
import tempfile
import time
import urllib.parse

from mainwnd_e2e import (OUTPUT, RESTORED_SIZE, SCREEN, STRIP_HEIGHT, WORK_AREA, Driver,
                         LoopbackSite, PageServer, uncached_html, Panel, check, click_at, click_button, fail, geometry, key,
                         log, main, run, screenshot, visible_windows_of, wait_for, wait_geometry,
                         window_named)

KORVANE = os.environ["KORVANE_BIN"]
MAXIMISED = WORK_AREA
FULLSCREEN = (0, 0, *SCREEN)
CENTRED = ((WORK_AREA[2] - RESTORED_SIZE[0]) // 2, (WORK_AREA[3] - RESTORED_SIZE[1]) // 2,
           *RESTORED_SIZE)
EXIT_TITLE = "关闭提示"
OK_CENTRE = (36 + 41, 110 - 44 + 17)  # in the 256 x 110 prompt box

GAME_PAGE = """<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>game window page</title>
<style>
 html, body { margin: 0; height: 100%; }
 body { background: linear-gradient(20deg, #7a1f3d 0%, #c8553d 60%, #f28f3b 100%);
        font-family: sans-serif; color: #fff; }
 h1 { margin: 0; padding: 40px; font-size: 48px; }
 p { padding: 0 40px; font-size: 22px; }
</style></head>
<body><h1>Game window</h1><p>游戏窗口 &mdash; a page of its own process inside the frame.</p>
<script>
 document.addEventListener('keydown', function (e) {
   fetch('/key?k=' + encodeURIComponent(e.key));
 });
 document.addEventListener('mousedown', function () { fetch('/press'); });
</script></body></html>
"""


class GamePageServer(LoopbackSite):
    """Serves GAME_PAGE for "/" with any query; counts page loads and records
    the keys and presses the page reports."""

    def respond(self, path, cookies):
        return uncached_html(GAME_PAGE, urllib.parse.urlsplit(path).path == "/")

    def page_requests(self):
        return [p for p in self.paths() if urllib.parse.urlsplit(p).path == "/"]

    def loads(self):
        return len(self.page_requests())

    def presses(self):
        return self.count("/press")


class GameProcess:
    """`korvane` started with ONE argument, the raw command line."""

    def __init__(self, command_line):
        self.command_line = command_line
        self.stdout = tempfile.TemporaryFile(mode="w+")
        self.stderr = tempfile.TemporaryFile(mode="w+")
        self.process = subprocess.Popen([KORVANE, command_line], stdout=self.stdout,
                                        stderr=self.stderr, text=True)
        self.pid = self.process.pid
        self.window = None

    def attach(self, frame):
        """Waits for the game window to show and checks it is the frame's child."""
        self.window = wait_for(lambda: self.alive() and single(visible_windows_of(self.pid)), 30,
                               "the game window to show")
        check(parent_of(self.window) == frame, "the game window is a child of the frame window")
        return self.window

    def alive(self):
        return self.process.poll() is None

    def wait_exit(self, timeout):
        code = self.process.wait(timeout=timeout)
        self.stderr.seek(0)
        return code, self.stderr.read()

    def stop(self):
        if self.alive():
            self.process.kill()
            self.process.wait(timeout=10)


def single(windows):
    return windows[0] if len(windows) == 1 else None


def parent_of(window):
    text = run("xwininfo", "-tree", "-id", str(window))
    for line in text.splitlines():
        if "Parent window id:" in line:
            return int(line.split(":", 1)[1].split()[0], 16)
    fail("no parent in xwininfo -tree")
    return None


def game_area(frame_geometry, full=False):
    x, y, width, height = frame_geometry
    if full:
        return frame_geometry
    return (x, y + STRIP_HEIGHT, width, height - STRIP_HEIGHT)


def body(started):
    # A home of its own: both processes keep their web data below it.
    home = tempfile.mkdtemp(prefix="korvane-gamewnd-")
    for name, sub in (("HOME", ""), ("XDG_DATA_HOME", ".local/share"),
                      ("XDG_CONFIG_HOME", ".config"), ("XDG_CACHE_HOME", ".cache")):
        os.environ[name] = os.path.join(home, sub)
        os.makedirs(os.environ[name], exist_ok=True)

    panel = Panel()
    started.append(panel)
    main_server = PageServer()
    started.append(main_server)
    game_server = GamePageServer()
    started.append(game_server)

    driver = Driver(main_server.url)
    started.append(driver)
    frame = driver.window
    wait_for(lambda: main_server.count("/") >= 1, 30, "the main page to be requested")
    wait_geometry(frame, MAXIMISED, "the frame is maximised")

    # The game process, given the frame's X id and an address with blanks in it.
    game_url = game_server.url + "?server=3&note=a b c"
    game = GameProcess("-frameWnd=%d -gameurl=%s" % (frame, game_url))
    started.append(game)
    window = game.attach(frame)
    log("frame", hex(frame), "game window", hex(window), "pid", game.pid)
    wait_for(lambda: game_server.loads() >= 1, 30, "the game page to be requested")
    requested = urllib.parse.unquote(game_server.page_requests()[0])
    check(requested == "/?server=3&note=a b c",
          "the whole address reached the game page, blanks included (%r)" % requested)
    wait_geometry(window, game_area(MAXIMISED), "the game window covers the frame below the strip")
    time.sleep(1.5)  # let the page paint
    screenshot("gamewnd.png")

    # Esc and Enter go to the game page and close nothing.
    click_at(SCREEN[0] // 2, SCREEN[1] // 2)
    wait_for(lambda: game_server.presses() >= 1, 10, "the press to reach the game page")
    key("Escape")
    key("Return")
    try:
        wait_for(lambda: {"Escape", "Enter"} <= set(game_server.keys()), 10,
                 "Esc and Enter in the game page")
    except AssertionError:
        fail("keys in the game page %r, in the frame's page %r"
             % (game_server.keys(), main_server.keys()))
    time.sleep(0.5)
    check(game.alive() and geometry(window) == game_area(MAXIMISED),
          "Esc and Enter left the game window as it was")
    check(not main_server.keys(), "the keys did not go to the frame's page")
    check(window_named(driver.pid, EXIT_TITLE) is None, "no prompt opened")

    # A press on the frame's strip gives the keys back to the frame; a press in
    # the game page takes them again.
    click_at(700, STRIP_HEIGHT // 2)
    key("x")
    wait_for(lambda: "x" in main_server.keys(), 10, "a key in the frame after a press on its strip")
    click_at(SCREEN[0] // 2, SCREEN[1] // 2)
    key("y")
    wait_for(lambda: "y" in game_server.keys(), 10, "a key in the game page after a press in it")
    check("x" not in game_server.keys() and "y" not in main_server.keys(),
          "each key went to one page only")

    # Fullscreen of the frame: the game window covers all of it.
    click_button(frame, 1004)
    wait_geometry(frame, FULLSCREEN, "the frame is fullscreen")
    wait_geometry(window, game_area(FULLSCREEN, full=True), "the game window covers the screen")
    time.sleep(0.8)
    screenshot("gamewnd-fullscreen.png")

    # Back from fullscreen (Alt+F4 on the frame, declined): below the strip again.
    run("xdotool", "windowactivate", "--sync", str(frame))
    key("alt+F4")
    box = wait_for(lambda: window_named(driver.pid, EXIT_TITLE), 10, "the exit prompt")
    time.sleep(0.3)
    run("xdotool", "windowactivate", "--sync", str(box))
    key("Escape")
    wait_for(lambda: window_named(driver.pid, EXIT_TITLE) is None, 10, "the prompt to go")
    wait_geometry(frame, MAXIMISED, "the frame left fullscreen")
    wait_geometry(window, game_area(MAXIMISED), "the game window leaves the strip free again")
    time.sleep(0.8)
    screenshot("gamewnd-after-fullscreen.png")

    # Restored and maximised again: the game window follows the frame's size.
    click_button(frame, 1002)
    wait_geometry(frame, CENTRED, "the frame is restored")
    wait_geometry(window, game_area(CENTRED), "the game window follows the restored frame")
    time.sleep(0.8)
    screenshot("gamewnd-restored.png")
    click_button(frame, 1008)
    wait_geometry(frame, MAXIMISED, "the frame is maximised again")
    wait_geometry(window, game_area(MAXIMISED), "the game window follows the maximised frame")

    # The refresh button reloads the game page as well as the frame's.
    game_loads = game_server.loads()
    main_loads = main_server.count("/")
    click_button(frame, 1021)
    wait_for(lambda: game_server.loads() > game_loads, 10, "the game page to reload")
    wait_for(lambda: main_server.count("/") > main_loads, 10, "the frame's page to reload")
    log("ok: refresh reloads the game page")
    time.sleep(0.5)
    check(game.alive(), "the game window lives on after the refresh")

    # Closing the frame (exit prompt, OK) ends the game process too.
    click_button(frame, 1001)
    box = wait_for(lambda: window_named(driver.pid, EXIT_TITLE), 10, "the exit prompt")
    time.sleep(0.4)
    x, y, _, _ = geometry(box)
    click_at(x + OK_CENTRE[0], y + OK_CENTRE[1])
    code, _ = driver.wait_exit()
    check(code == 0, "the frame ended with 0")
    closed_at = time.monotonic()
    code, errors = game.wait_exit(timeout=10)
    log("game process ended %.2f s after the frame" % (time.monotonic() - closed_at))
    check(code == 0, "the closed game process ended with 0 (%r)" % errors.strip())

    # A frame killed outright: the watcher notices and the process ends within
    # about two seconds. This game window is given an empty address.
    driver = Driver(main_server.url)
    started.append(driver)
    wait_geometry(driver.window, MAXIMISED, "the second frame is maximised")
    game = GameProcess("-frameWnd=%d -gameurl=" % driver.window)
    started.append(game)
    window = game.attach(driver.window)
    wait_geometry(window, game_area(MAXIMISED), "the game window with an empty address attached")
    time.sleep(1.0)
    screenshot("gamewnd-blank.png")
    os.kill(driver.pid, 9)
    killed_at = time.monotonic()
    try:
        code, errors = game.wait_exit(timeout=10)
    except subprocess.TimeoutExpired:
        fail("the game process outlived its killed frame by 10 s")
    elapsed = time.monotonic() - killed_at
    check(elapsed <= 2.5, "the game process ended %.2f s after its frame was killed" % elapsed)
    check(code == 0, "it ended with 0 (%r)" % errors.strip())

    # A frame id that names no window (the killed frame's): refused at once.
    refused = GameProcess("-frameWnd=%d -gameurl=%s" % (driver.window, game_server.url))
    started.append(refused)
    loads = game_server.loads()
    code, errors = refused.wait_exit(timeout=30)
    check(code == 2, "a missing frame ends the process with code 2 (got %r)" % code)
    check(("-frameWnd=%d names no window" % driver.window) in errors,
          "and says why: %r" % errors.strip())
    check(game_server.loads() == loads, "no page was loaded for it")
    log("output in", OUTPUT)


main(body)
