"""The main window's global hotkeys on the real backend, pressed with xdotool:
F11 toggles fullscreen and F5 reloads only while the launcher is the active
application; F10 hides and shows it at any time, and after the minimise button
brings it back in its earlier state, in front. Without a boss-key setting the
digit key 0 is the boss key; a Ctrl+Shift combination works too."""

import time

from hotkeys_e2e import SHIPPED_SETTINGS, OtherWindow, PrivateHome, activate, active_window
from mainwnd_e2e import (RESTORED_SIZE, SCREEN, WORK_AREA, Driver, PageServer, Panel, check,
                         click_button, geometry, key, log, main, map_state, net_wm_state,
                         screenshot, wait_for, wait_geometry)

MAXIMISED = WORK_AREA
CENTRED = ((WORK_AREA[2] - RESTORED_SIZE[0]) // 2, (WORK_AREA[3] - RESTORED_SIZE[1]) // 2,
           *RESTORED_SIZE)
FULLSCREEN = (0, 0, *SCREEN)


def start_launcher(started, server):
    driver = Driver(server.url, own_home=False)
    started.append(driver)
    wait_geometry(driver.window, MAXIMISED, "maximised at start")
    time.sleep(1.0)  # let the page paint
    activate(driver.window)
    return driver, driver.window


def wait_shown(window, what):
    wait_for(lambda: map_state(window) == "IsViewable", 10, what)
    log("ok:", what)


def wait_hidden(window, what):
    wait_for(lambda: map_state(window) == "IsUnMapped", 10, what)
    log("ok:", what)


def toggle_fullscreen(window, keys):
    key(keys)
    wait_geometry(window, FULLSCREEN, keys + " enters fullscreen")
    check("_NET_WM_STATE_FULLSCREEN" in net_wm_state(window), "the window manager knows it")
    key(keys)
    wait_geometry(window, MAXIMISED, keys + " again: the launcher's maximised state")
    wait_for(lambda: "_NET_WM_STATE_FULLSCREEN" not in net_wm_state(window), 10,
             "fullscreen left")


def body(started):
    home = PrivateHome()
    started.append(home)
    home.write_settings(SHIPPED_SETTINGS)
    started.append(Panel())
    server = PageServer()
    started.append(server)
    driver, window = start_launcher(started, server)

    # Active: F11 toggles fullscreen, F5 reloads the page without reaching it.
    key("F11")
    wait_geometry(window, FULLSCREEN, "F11 enters fullscreen")
    time.sleep(0.8)
    screenshot("hotkeys-fullscreen.png")
    key("F11")
    wait_geometry(window, MAXIMISED, "F11 leaves it: maximised")
    loads = server.count("/")
    key("F5")
    wait_for(lambda: server.count("/") > loads, 10, "F5 to reload the page")
    time.sleep(0.5)
    check("F5" not in server.keys() and "F11" not in server.keys(),
          "the hotkeys never reach the page")

    # Another program active: F11 and F5 do nothing; F10 hides and shows.
    other = OtherWindow()
    started.append(other)
    activate(other.window)
    loads = server.count("/")
    key("F11")
    key("F5")
    time.sleep(1.5)
    check(geometry(window) == MAXIMISED and "_NET_WM_STATE_FULLSCREEN" not in net_wm_state(window),
          "F11 does nothing while another program is active")
    check(server.count("/") == loads, "F5 does nothing while another program is active")
    key("F10")
    wait_hidden(window, "F10 hides the launcher while another program is active")
    check(driver.alive(), "still running while hidden")
    screenshot("hotkeys-hidden.png")
    key("F10")
    wait_shown(window, "F10 shows it again")
    wait_geometry(window, MAXIMISED, "shown as it was: maximised")
    log("active after showing:", active_window(), "(launcher %d, other %d)" % (window,
                                                                             other.window))

    # Active, from fullscreen: hidden and shown again still fullscreen.
    activate(window)
    key("F11")
    wait_geometry(window, FULLSCREEN, "fullscreen again")
    key("F10")
    wait_hidden(window, "F10 hides the fullscreen launcher")
    key("F10")
    wait_shown(window, "F10 shows it")
    wait_geometry(window, FULLSCREEN, "still fullscreen")
    activate(window)
    key("F11")
    wait_geometry(window, MAXIMISED, "out of fullscreen")

    # After the minimise button F10 restores the earlier state, in front.
    activate(window)
    click_button(window, 1003)
    wait_for(lambda: "_NET_WM_STATE_HIDDEN" in net_wm_state(window), 10, "minimised")
    activate(other.window)
    key("F10")
    wait_shown(window, "F10 after the minimise button shows the launcher")
    wait_geometry(window, MAXIMISED, "maximised as before")
    wait_for(lambda: active_window() == window, 10, "the launcher in front")
    check("_NET_WM_STATE_HIDDEN" not in net_wm_state(window), "no longer minimised")
    click_button(window, 1002)
    wait_geometry(window, CENTRED, "restored")
    click_button(window, 1003)
    wait_for(lambda: "_NET_WM_STATE_HIDDEN" in net_wm_state(window), 10, "minimised")
    activate(other.window)
    key("F10")
    wait_geometry(window, CENTRED, "F10 after minimising the restored window: restored")
    wait_for(lambda: active_window() == window, 10, "the restored launcher in front")
    driver.stop()
    wait_for(lambda: not driver.alive(), 10, "the first launcher to end")

    # No boss-key setting: the digit key 0 is the boss key; Ctrl+Shift+B
    # toggles fullscreen.
    home.write_settings("[Setting]\r\nfullscreen=Ctrl+Shift+B\r\n")
    driver, window = start_launcher(started, server)
    toggle_fullscreen(window, "ctrl+shift+b")
    key("F11")
    time.sleep(1.0)
    check(geometry(window) == MAXIMISED, "F11 is no hotkey now")
    key("0")
    wait_hidden(window, "the digit key 0 hides the launcher")
    key("0")
    wait_shown(window, "the digit key 0 shows it again")
    wait_geometry(window, MAXIMISED, "maximised as before")


main(body)
