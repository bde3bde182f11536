#pragma once
// Numbers the main window answers to: its control ids, the commands, the
// timers, its own system commands and the messages of the game window exchange.

#include <cstdint>

namespace kv::mainwnd {

// Title strip buttons.
inline constexpr int IDC_BTN_CLOSE = 1001;
inline constexpr int IDC_BTN_RESTORE = 1002;
inline constexpr int IDC_BTN_MINIMIZE = 1003;
inline constexpr int IDC_BTN_FULLSCREEN = 1004;
inline constexpr int IDC_BTN_BOSSKEY = 1005;
inline constexpr int IDC_BTN_SERVER = 1007;
inline constexpr int IDC_BTN_MAXIMIZE = 1008;
inline constexpr int IDC_BTN_REFRESH = 1021;
inline constexpr int IDC_BTN_CLEARCACHE = 1030;

// Other commands.
inline constexpr int IDCANCEL = 2;              // a close request after the exit prompt
inline constexpr int ID_CACHE_CLEARED = 10002;  // the web data is cleared
inline constexpr int ID_ACCEL_REFRESH = 32778;  // F5 through the accelerator: no action
inline constexpr int IDC_HTML_VIEW = 10000;

// Global hotkeys of the main window and the settings they come from.
inline constexpr int HOTKEY_REFRESH = 1;     // F5, fixed
inline constexpr int HOTKEY_BOSSKEY = 2;     // [Setting] screentoggle
inline constexpr int HOTKEY_FULLSCREEN = 3;  // [Setting] fullscreen
inline constexpr char kHotkeySection[] = "Setting";
inline constexpr char kBossKeySetting[] = "screentoggle";
inline constexpr char kFullScreenKeySetting[] = "fullscreen";
// What a missing hotkey setting reads as: the digit key 0.
inline constexpr char kHotkeyFallback[] = "0";

// Timers of the main window.
inline constexpr int TIMER_REFIT = 102;
inline constexpr int kRefitDelayMs = 10;
// While the veil waits for its first paint after the clearing: checked every
// 10 ms, hidden anyway after 50 checks.
inline constexpr int TIMER_VEIL_PAINTED = 103;
inline constexpr int kVeilPaintCheckMs = 10;
inline constexpr int kVeilPaintChecks = 50;

// The window's own sizing requests, with the numbers of the system commands
// they stand for. Each maps onto a window-manager request (see OnSysCommand).
inline constexpr int SC_MINIMIZE = 0xF020;
inline constexpr int SC_MAXIMIZE = 0xF030;
inline constexpr int SC_CLOSE = 0xF060;
inline constexpr int SC_RESTORE = 0xF120;

// Messages between the main window and a game window of another process,
// delivered with Gui::SendWindowMessage / WindowEvents::OnMessage.
inline constexpr int WM_GAMEWND_CREATED = 3025;  // game -> main: param = the game window's id
inline constexpr int WM_GAMEWND_REFRESH = 3026;  // main -> game: reload the page
inline constexpr int WM_GAMEWND_RELAYOUT =
    3027;  // main -> game: 0 leave the strip free, 1 cover all
inline constexpr int WM_GAMEWND_CLOSE = 0x0010;  // main -> game: close (the number of WM_CLOSE)
inline constexpr int kGameWindowClosePauseMs = 50;

// Geometry.
inline constexpr int kTitleStripHeight = 30;
inline constexpr int kRestoredWidth = 1000;
inline constexpr int kRestoredHeight = 700;
inline constexpr int kTitleButtonTop = 3;

// Skin images of the title strip.
inline constexpr int kPngTitleLeft = 203;
inline constexpr int kPngTitleMiddle = 172;
inline constexpr int kPngTitleRight = 206;

}  // namespace kv::mainwnd
