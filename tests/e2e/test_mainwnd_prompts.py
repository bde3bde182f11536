"""The main window's prompts on the real backend: the exit prompt declined
(Cancel) and agreed (OK, the process ends with 0), and the server switch
declined and agreed (this launcher ends and a new one opens its own window)."""

import os
import time

from mainwnd_e2e import (Driver, PageServer, check, click_at, click_button, geometry, is_zombie,
                         log, main, screenshot, wait_for, window_named)

EXIT_TITLE = "关闭提示"
SERVER_TITLE = "选服"
# The box's buttons, in its client coordinates (256 x 110 box).
OK_CENTRE = (36 + 41, 110 - 44 + 17)
CANCEL_CENTRE = (138 + 41, 110 - 44 + 17)


def open_prompt(driver, button_id, title):
    click_button(driver.window, button_id)
    box = wait_for(lambda: window_named(driver.pid, title), 10, "the prompt " + title)
    time.sleep(0.4)
    x, y, width, height = geometry(box)
    check((width, height) == (256, 110), "the prompt is 256 x 110")
    main_x, main_y, _, _ = geometry(driver.window)
    check((x, y) == (main_x, main_y), "the prompt opens at the main window's corner (%d, %d)"
          % (x, y))
    return x, y


def answer(box_corner, centre):
    click_at(box_corner[0] + centre[0], box_corner[1] + centre[1])


def body(started):
    server = PageServer()
    started.append(server)

    # Exit prompt, declined with Cancel: nothing happens.
    driver = Driver(server.url)
    started.append(driver)
    wait_for(lambda: server.count("/") >= 1, 30, "the page to be requested")
    time.sleep(1.0)
    corner = open_prompt(driver, 1001, EXIT_TITLE)
    screenshot("mainwnd-exit-prompt.png")
    answer(corner, CANCEL_CENTRE)
    wait_for(lambda: window_named(driver.pid, EXIT_TITLE) is None, 10, "the prompt to go")
    time.sleep(0.5)
    check(driver.alive(), "declined: the launcher goes on")

    # Exit prompt, agreed with OK: the dialog ends and the process with it.
    corner = open_prompt(driver, 1001, EXIT_TITLE)
    answer(corner, OK_CENTRE)
    code, output = driver.wait_exit()
    check(code == 0 and "dialog ended with 0" in output, "agreed: the launcher ends with 0")

    # Server switch, declined: nothing happens.
    driver = Driver(server.url)
    started.append(driver)
    corner = open_prompt(driver, 1007, SERVER_TITLE)
    screenshot("mainwnd-server-prompt.png")
    answer(corner, CANCEL_CENTRE)
    wait_for(lambda: window_named(driver.pid, SERVER_TITLE) is None, 10, "the prompt to go")
    time.sleep(0.5)
    check(driver.alive(), "server switch declined: the launcher goes on")

    # Server switch, agreed: a new launcher (same program, no command line)
    # opens its own window and this one ends.
    old_pid = driver.pid
    corner = open_prompt(driver, 1007, SERVER_TITLE)
    answer(corner, OK_CENTRE)
    code, output = driver.wait_exit()
    check(code == 0 and "dialog ended with 0" in output, "server switch: the old launcher ends")
    new_pid = wait_for(lambda: newer_driver({old_pid}), 30, "the new launcher")
    successor = Driver.adopt(new_pid)
    started.append(successor)
    log("new launcher", new_pid, "window", hex(successor.window))
    with open("/proc/%d/cmdline" % new_pid, "rb") as cmdline:
        arguments = cmdline.read().split(b"\0")[1:]
    check([a for a in arguments if a] == [], "the new launcher has no command line")
    time.sleep(1.0)
    check(server.count("/") == 2, "the new launcher, given no address, did not ask for the page")

    # The new launcher can be ended the ordinary way.
    corner = open_prompt(successor, 1001, EXIT_TITLE)
    answer(corner, OK_CENTRE)
    successor.wait_exit()
    check(not successor.alive(), "the new launcher ends after its exit prompt")


def newer_driver(known):
    """The pid of a korvane-mainwnd-driver on this display that is not in `known`."""
    display = ("DISPLAY=" + os.environ["DISPLAY"]).encode()
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) in known or is_zombie(int(entry)):
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as cmdline:
                program = cmdline.read().split(b"\0")[0]
            with open("/proc/%s/environ" % entry, "rb") as environ:
                environment = environ.read().split(b"\0")
        except OSError:
            continue
        if program.endswith(b"korvane-mainwnd-driver") and display in environment:
            return int(entry)
    return None


main(body)
