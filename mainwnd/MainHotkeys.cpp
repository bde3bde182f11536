// The main window's global hotkeys: refresh (F5), the boss key and the
// fullscreen toggle, registered once the login has ended.

#include <cstdint>
#include <string>

#include "app/Settings.h"
#include "hotkey/HotKey.h"
#include "mainwnd/Lorvik_Q7Dlg.h"
#include "platform/Keys.h"

namespace kv::mainwnd {

void CLorvik_Q7Dlg::RegisterHotkeys() {
  const hotkey::CHotKeyTable table;
  RegisterConfiguredHotkey(table, HOTKEY_BOSSKEY, kBossKeySetting);
  RegisterConfiguredHotkey(table, HOTKEY_FULLSCREEN, kFullScreenKeySetting);
  // A key another program holds already simply does not work; nothing is reported.
  m_pWindow->RegisterHotkey(HOTKEY_REFRESH, 0, platform::kKeyF5);
}

// A missing setting reads as "0", the digit key 0 without modifiers; an empty
// one registers nothing. A text naming no known key still asks for key code 0,
// which the window system refuses.
void CLorvik_Q7Dlg::RegisterConfiguredHotkey(const hotkey::CHotKeyTable& table, int id,
                                             const char* setting) {
  const std::string text = app::ReadSetting(kHotkeySection, setting, kHotkeyFallback);
  if (text.empty()) {
    return;
  }
  m_pWindow->UnregisterHotkey(id);
  std::uint32_t modifiers = 0;
  std::uint32_t key = 0;
  hotkey::ParseHotKey(table, text, modifiers, key);
  m_pWindow->RegisterHotkey(id, static_cast<int>(modifiers), static_cast<int>(key));
}

// Refresh and fullscreen act only while the launcher is the active
// application; the boss key works at any time, hidden or not.
void CLorvik_Q7Dlg::OnHotKey(int id) {
  if (!m_pWindow) {
    return;
  }
  switch (id) {
    case HOTKEY_REFRESH:
      if (m_gui.IsActiveApplication()) {
        OnRefresh();
      }
      break;
    case HOTKEY_BOSSKEY:
      if (m_bMinimizedByButton) {
        // Minimised with the button: back in the earlier state, in front.
        m_pWindow->Show();
        if (m_bMaximized) {
          OnMaximize();
        } else {
          OnRestore();
        }
        m_pWindow->Activate();
      } else if (m_pWindow->IsVisible()) {
        HideWindow();
      } else {
        // Shown as it was: not brought to the front, its state unchanged.
        m_pWindow->Show();
      }
      break;
    case HOTKEY_FULLSCREEN:
      if (m_gui.IsActiveApplication()) {
        if (m_bFullScreen) {
          LeaveFullScreen();
        } else {
          EnterFullScreen(false);
        }
      }
      break;
    default:
      break;
  }
}

}  // namespace kv::mainwnd
