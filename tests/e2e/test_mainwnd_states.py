"""The main window on the real backend: its geometry in every state read back
from the X server (maximised to the work area, restored 1000 x 700, dragged,
fullscreen, minimised and back, hidden), the strip's buttons and double-click,
keys that go to the page, refresh, and screenshots."""

import os
import time

from mainwnd_e2e import (CAPTION, RESTORED_SIZE, SCREEN, WORK_AREA, Driver, PageServer, Panel,
                         button_centre, check, click_at, click_button, drag, geometry, key, log,
                         hover, main, map_state, net_wm_state, run, screenshot, strip_point,
                         toplevel_windows, wait_for, wait_geometry, window_name, window_named)

MAXIMISED = WORK_AREA
CENTRED = ((WORK_AREA[2] - RESTORED_SIZE[0]) // 2, (WORK_AREA[3] - RESTORED_SIZE[1]) // 2,
           *RESTORED_SIZE)
FULLSCREEN = (0, 0, *SCREEN)


def body(started):
    panel = Panel()
    started.append(panel)
    server = PageServer()
    started.append(server)
    driver = Driver(server.url)
    started.append(driver)
    window = driver.window

    # Start: the launcher's maximised state, the page loaded below the strip.
    wait_for(lambda: server.count("/") >= 1, 30, "the page to be requested")
    webdata = os.path.join(driver.home.program_folder(), "webdata")
    wait_for(lambda: os.path.isdir(webdata), 10, "the web engine's data in the driver's own home")
    log("ok: web data in", webdata)
    wait_geometry(window, MAXIMISED, "maximised to the work area at start")
    check({"_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ"}
          <= net_wm_state(window), "the window manager knows the window maximised")
    time.sleep(1.5)  # let the page paint
    screenshot("mainwnd-maximized.png")

    # The tooltip of the fullscreen button, after the 2000 ms delay.
    before = toplevel_windows()
    started_hover = time.monotonic()
    hover(*button_centre(window, 1004))
    tooltip = wait_for(lambda: toplevel_windows() - before, 6, "the tooltip")
    delay = time.monotonic() - started_hover
    check(1.9 <= delay, "the tooltip waits about 2000 ms (%.2f s)" % delay)
    time.sleep(0.3)
    screenshot("mainwnd-tooltip.png")
    tips = [w for w in tooltip if window_name(w) == "全屏/取消全屏（快捷键F11）"]
    check(tips, "the fullscreen button's tooltip")
    tip_x, tip_y, tip_width, tip_height = geometry(tips[0])
    check(tip_x >= 0 and tip_y >= 0 and tip_x + tip_width <= WORK_AREA[2]
          and tip_y + tip_height <= WORK_AREA[3],
          "the tooltip lies inside the work area: %s" % ((tip_x, tip_y, tip_width, tip_height),))
    hover(800, 600)
    wait_for(lambda: not (toplevel_windows() - before), 6, "the tooltip to go")

    # Restore button: 1000 x 700, centred in the work area.
    click_button(window, 1002)
    wait_geometry(window, CENTRED, "restored, centred")
    check(not ({"_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_FULLSCREEN"}
               & net_wm_state(window)), "the window manager knows the window restored")
    time.sleep(1.0)
    screenshot("mainwnd-restored.png")

    # Dragging the strip moves the restored window.
    drag(*strip_point(window), 120, 80)
    dragged = (CENTRED[0] + 120, CENTRED[1] + 80, *RESTORED_SIZE)
    wait_geometry(window, dragged, "dragged by the strip")

    # Double-click on the strip: maximised; again: restored where it was dragged.
    click_at(*strip_point(window), repeat=2)
    wait_geometry(window, MAXIMISED, "double-click maximises to the work area")
    time.sleep(0.5)
    click_at(*strip_point(window), repeat=2)
    wait_geometry(window, dragged, "double-click restores to the dragged place")

    # Maximise button; a drag while maximised does not move the window.
    click_button(window, 1008)
    wait_geometry(window, MAXIMISED, "maximise button")
    drag(*strip_point(window), 150, 100)
    time.sleep(0.5)
    check(geometry(window) == MAXIMISED, "no drag while maximised")

    # Fullscreen covers the whole screen, the panel included.
    click_button(window, 1004)
    wait_geometry(window, FULLSCREEN, "fullscreen covers the screen")
    check("_NET_WM_STATE_FULLSCREEN" in net_wm_state(window), "fullscreen state")
    time.sleep(0.8)
    screenshot("mainwnd-fullscreen.png")

    # Enter and Esc go to the page; neither leaves fullscreen nor closes anything.
    click_at(SCREEN[0] // 2, SCREEN[1] // 2)
    key("Escape")
    key("Return")
    wait_for(lambda: {"Escape", "Enter"} <= set(server.keys()), 10, "Esc and Enter in the page")
    time.sleep(0.5)
    check(geometry(window) == FULLSCREEN and driver.alive(), "Esc and Enter left it as it was")
    check(window_named(driver.pid, "关闭提示") is None, "no prompt opened")

    # F5 never reaches the page: the refresh hotkey takes it and reloads the page.
    loads = server.count("/")
    key("F5")
    wait_for(lambda: server.count("/") > loads, 10, "the refresh hotkey to reload the page")
    time.sleep(0.5)
    check("F5" not in server.keys(), "F5 does not reach the page")

    # Alt+F4 in fullscreen, declined: back to the maximised state.
    run("xdotool", "windowactivate", "--sync", str(window))
    key("alt+F4")
    box = wait_for(lambda: window_named(driver.pid, "关闭提示"), 10, "the exit prompt")
    time.sleep(0.5)
    screenshot("mainwnd-exit-prompt-fullscreen.png")
    run("xdotool", "windowactivate", "--sync", str(box))
    key("Escape")
    wait_for(lambda: window_named(driver.pid, "关闭提示") is None, 10, "the prompt to go")
    wait_geometry(window, MAXIMISED, "declining Alt+F4 in fullscreen leaves fullscreen")
    check("_NET_WM_STATE_FULLSCREEN" not in net_wm_state(window), "no longer fullscreen")
    check(driver.alive(), "still running")

    # Refresh button reloads the page.
    loads = server.count("/")
    click_button(window, 1021)
    wait_for(lambda: server.count("/") > loads, 10, "the page to reload")
    log("ok: refresh reloads the page")

    # Minimise button, then back from the taskbar (an activation request):
    # maximised to the work area again.
    click_button(window, 1003)
    wait_for(lambda: "_NET_WM_STATE_HIDDEN" in net_wm_state(window), 10, "minimised")
    check(map_state(window) != "IsViewable", "minimised: not viewable")
    run("xdotool", "windowactivate", str(window))
    wait_for(lambda: map_state(window) == "IsViewable", 10, "shown again")
    time.sleep(0.3)
    wait_geometry(window, MAXIMISED, "back from the taskbar: fitted to the work area")

    # Restored, minimised and back: still restored where it was.
    click_button(window, 1002)
    wait_geometry(window, dragged, "restored again")
    click_button(window, 1003)
    wait_for(lambda: "_NET_WM_STATE_HIDDEN" in net_wm_state(window), 10, "minimised")
    run("xdotool", "windowactivate", str(window))
    wait_for(lambda: map_state(window) == "IsViewable", 10, "shown again")
    time.sleep(0.3)
    wait_geometry(window, dragged, "a restored window comes back restored")

    # Boss key button: hidden (not minimised), the process goes on.
    click_button(window, 1005)
    wait_for(lambda: map_state(window) == "IsUnMapped", 10, "hidden")
    check(driver.alive(), "still running while hidden")
    check(run("xdotool", "search", "--onlyvisible", "--name", CAPTION,
              check_status=False).strip() == "", "no visible main window")


main(body)
