// The main window's global hotkeys: what is registered for which settings
// file, and what each hotkey does in every state, with the launcher active or not.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/SandboxEnvironment.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
namespace mw = kv::mainwnd;
using kv::fake::FakeWindow;
using kv::platform::Rect;
using kv::platform::WindowState;
using kv::test::MainWindowHarness;

constexpr Rect kWork = MainWindowHarness::kWorkArea;
constexpr Rect kScreen = MainWindowHarness::kScreen;
constexpr Rect kCentred{300, 130, 1000, 700};

// The settings file of the (sandboxed) program folder, holding `contents`
// while the object lives; nullopt: no file at all.
class SettingsFile {
 public:
  explicit SettingsFile(const std::optional<std::string>& contents)
      : path_(kv::app::GetSettingsPath()) {
    EXPECT_EQ(path_.rfind(kv::test::SandboxDataHome().string() + "/", 0), 0u) << path_;
    fs::remove(path_);
    if (contents) {
      fs::create_directories(fs::path(path_).parent_path());
      kv::test::WriteTestFile(path_, *contents);
    }
  }
  ~SettingsFile() { fs::remove(path_); }
  SettingsFile(const SettingsFile&) = delete;
  SettingsFile& operator=(const SettingsFile&) = delete;

 private:
  std::string path_;
};

// The settings file as first-start setup writes it.
constexpr char kShippedSettings[] =
    "[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nsoundoff=0\r\nautostart=0\r\n"
    "autologin=0\r\nscreenshots=Ctrl+Shift+A\r\nscreentoggle=F10\r\nfullscreen=F11\r\n"
    "[Start]\r\nfirststart=1\r\n";

std::string WithKeys(const std::string& lines) {
  return "[Setting]\r\nsoundoff=0\r\n" + lines;
}

// Hotkey registrations in the order they were made.
std::vector<std::string> HotkeyCalls(const FakeWindow& window) {
  std::vector<std::string> calls;
  for (const std::string& call : window.Calls()) {
    if (call.starts_with("RegisterHotkey") || call.starts_with("UnregisterHotkey")) {
      calls.push_back(call);
    }
  }
  return calls;
}

using Bindings = std::map<int, FakeWindow::HotkeyBinding>;

std::string Describe(const Bindings& bindings) {
  std::string text;
  for (const auto& [id, binding] : bindings) {
    text += std::to_string(id) + ":" + std::to_string(binding.modifiers) + "/" +
            std::to_string(binding.key) + " ";
  }
  return text;
}

TEST(MainWindowHotkeys, RegisteredFromTheSettingsFile) {
  const FakeWindow::HotkeyBinding f5{0, 0x74};
  const FakeWindow::HotkeyBinding digit0{0, 0x30};
  const std::vector<std::string> allThree = {"UnregisterHotkey 2", "RegisterHotkey 2",
                                             "UnregisterHotkey 3", "RegisterHotkey 3",
                                             "RegisterHotkey 1"};
  struct Case {
    const char* name;
    std::optional<std::string> settings;
    Bindings expected;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {"shipped settings: F10 and F11",
       kShippedSettings,
       {{1, f5}, {2, {0, 0x79}}, {3, {0, 0x7A}}},
       allThree},
      {"no settings file: both read as the digit key 0",
       std::nullopt,
       {{1, f5}, {2, digit0}, {3, digit0}},
       allThree},
      {"keys missing from the file: the digit key 0",
       WithKeys("autologin=0\r\n"),
       {{1, f5}, {2, digit0}, {3, digit0}},
       allThree},
      {"empty boss key: none registered for it",
       WithKeys("screentoggle=\r\nfullscreen=F11\r\n"),
       {{1, f5}, {3, {0, 0x7A}}},
       {"UnregisterHotkey 3", "RegisterHotkey 3", "RegisterHotkey 1"}},
      {"empty fullscreen key: none registered for it",
       WithKeys("screentoggle=F10\r\nfullscreen=\r\n"),
       {{1, f5}, {2, {0, 0x79}}},
       {"UnregisterHotkey 2", "RegisterHotkey 2", "RegisterHotkey 1"}},
      {"both empty: refresh only",
       WithKeys("screentoggle=\r\nfullscreen=\r\n"),
       {{1, f5}},
       {"RegisterHotkey 1"}},
      {"modifiers: Ctrl+Shift+B and Alt+Num5",
       WithKeys("screentoggle=Ctrl+Shift+B\r\nfullscreen=Alt+Num5\r\n"),
       {{1, f5}, {2, {6, 0x42}}, {3, {1, 0x65}}},
       allThree},
      {"unknown key names still ask for a registration, with key code 0",
       WithKeys("screentoggle=F13\r\nfullscreen=ctrl+a\r\n"),
       {{1, f5}, {2, {0, 0}}, {3, {0, 0}}},
       allThree},
      {"section and key names in any letter case",
       "[SETTING]\r\nScreenToggle=F9\r\nFULLSCREEN=Shift+End\r\n",
       {{1, f5}, {2, {0, 0x78}}, {3, {4, 0x23}}},
       allThree},
      {"the same key twice: both asked for, as the window system sorts it out",
       WithKeys("screentoggle=F5\r\nfullscreen=F5\r\n"),
       {{1, f5}, {2, f5}, {3, f5}},
       allThree},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SettingsFile settings(c.settings);
    MainWindowHarness h;
    ASSERT_TRUE(h.Start());
    EXPECT_EQ(h.Main().Hotkeys(), c.expected) << Describe(h.Main().Hotkeys());
    EXPECT_EQ(HotkeyCalls(h.Main()), c.calls);
  }
}

// The hotkeys are registered only after the login has ended, and the settings
// are read then: a value written during the login counts.
TEST(MainWindowHotkeys, RegisteredAfterTheLogin) {
  class SettingLogin final : public mw::LoginStep {
   public:
    explicit SettingLogin(kv::fake::FakeGui& gui) : gui_(gui) {}
    std::string Run() override {
      for (FakeWindow* window : gui_.Windows()) {
        hotkeysDuringLogin += static_cast<int>(window->Hotkeys().size());
      }
      kv::app::WriteSetting("Setting", "screentoggle", "Ctrl+F12");
      return "about:blank";
    }
    int hotkeysDuringLogin = 0;

   private:
    kv::fake::FakeGui& gui_;
  };
  SettingsFile settings(kShippedSettings);
  kv::fake::FakeGui gui;
  SettingLogin login(gui);
  mw::CLorvik_Q7Dlg dialog(gui, login);
  ASSERT_TRUE(dialog.OnInitDialog());
  EXPECT_EQ(login.hotkeysDuringLogin, 0);
  auto& main = static_cast<FakeWindow&>(*dialog.Window());
  EXPECT_EQ(main.Hotkeys().at(mw::HOTKEY_BOSSKEY), (FakeWindow::HotkeyBinding{2, 0x7B}));
}

// --- what the hotkeys do

enum class Start {
  kMaximized,
  kRestored,
  kFullscreen,
  kHidden,                  // the boss-key button
  kMinimizedFromMaximized,  // the minimise button
  kMinimizedFromRestored,
  kMinimizedByWindowManager,      // from the taskbar, while maximised
  kBackFromTaskbarFlagKept,       // minimise button, then brought back by the taskbar
  kHiddenWhileMinimizedByButton,  // minimise button, then the boss-key button
};

void Reach(MainWindowHarness& h, Start start) {
  switch (start) {
    case Start::kMaximized:
      break;
    case Start::kRestored:
      h.ClickButton(mw::IDC_BTN_RESTORE);
      break;
    case Start::kFullscreen:
      h.ClickButton(mw::IDC_BTN_FULLSCREEN);
      break;
    case Start::kHidden:
      h.ClickButton(mw::IDC_BTN_BOSSKEY);
      break;
    case Start::kMinimizedFromMaximized:
      h.ClickButton(mw::IDC_BTN_MINIMIZE);
      break;
    case Start::kMinimizedFromRestored:
      h.ClickButton(mw::IDC_BTN_RESTORE);
      h.ClickButton(mw::IDC_BTN_MINIMIZE);
      break;
    case Start::kMinimizedByWindowManager:
      h.Main().WindowManagerSetState(WindowState::kMinimized);
      break;
    case Start::kBackFromTaskbarFlagKept:
      h.ClickButton(mw::IDC_BTN_MINIMIZE);
      h.Main().WindowManagerSetState(WindowState::kMaximized);
      break;
    case Start::kHiddenWhileMinimizedByButton:
      h.ClickButton(mw::IDC_BTN_MINIMIZE);
      h.dialog->HideWindow();
      break;
  }
}

struct Expect {
  bool visible;
  bool fullScreen;
  bool maximized;
  bool minimizedByButton;
  WindowState wmState;
  Rect geometry;
  bool activated;  // brought to the front
  int reloads;     // page reloads caused by the hotkey
  int refreshes;   // 3026 messages to the attached game window
};

struct Case {
  const char* name;
  Start start;
  int hotkey;
  bool active;
  Expect expect;
};

constexpr Expect kMaximizedShown{true,  false, true, false, WindowState::kMaximized,
                                 kWork, false, 0,    0};
constexpr Expect kRestoredShown{true,     false, false, false, WindowState::kNormal,
                                kCentred, false, 0,     0};
// Fullscreen entered from the maximised state.
constexpr Expect kFullShown{true,    true,  true, false, WindowState::kFullscreen,
                            kScreen, false, 0,    0};
constexpr Expect kMaximizedHidden{false, false, true, false, WindowState::kMaximized,
                                  kWork, false, 0,    0};
constexpr Expect kMinimizedFromMax{true,  false, true, true, WindowState::kMinimized,
                                   kWork, false, 0,    0};

constexpr Expect With(Expect e, void (*change)(Expect&)) {
  change(e);
  return e;
}

const Case kCases[] = {
    // Refresh: the page and the game window reload, only while the launcher is active.
    {"refresh, active", Start::kMaximized, mw::HOTKEY_REFRESH, true,
     With(kMaximizedShown, [](Expect& e) { e.reloads = e.refreshes = 1; })},
    {"refresh, active, fullscreen", Start::kFullscreen, mw::HOTKEY_REFRESH, true,
     With(kFullShown, [](Expect& e) { e.reloads = e.refreshes = 1; })},
    {"refresh, another application active", Start::kMaximized, mw::HOTKEY_REFRESH, false,
     kMaximizedShown},
    {"refresh, hidden (never active)", Start::kHidden, mw::HOTKEY_REFRESH, false, kMaximizedHidden},

    // Fullscreen: toggles while active, in its hotkey form.
    {"fullscreen, active, maximised", Start::kMaximized, mw::HOTKEY_FULLSCREEN, true, kFullShown},
    {"fullscreen, active, restored", Start::kRestored, mw::HOTKEY_FULLSCREEN, true,
     With(kFullShown, [](Expect& e) { e.maximized = false; })},
    {"fullscreen, active, in fullscreen: the launcher's maximised state", Start::kFullscreen,
     mw::HOTKEY_FULLSCREEN, true, kMaximizedShown},
    {"fullscreen, active, minimise flag kept by the hotkey form", Start::kBackFromTaskbarFlagKept,
     mw::HOTKEY_FULLSCREEN, true, With(kFullShown, [](Expect& e) { e.minimizedByButton = true; })},
    {"fullscreen, another application active", Start::kMaximized, mw::HOTKEY_FULLSCREEN, false,
     kMaximizedShown},
    {"fullscreen, another application active, in fullscreen", Start::kFullscreen,
     mw::HOTKEY_FULLSCREEN, false, kFullShown},

    // Boss key: active or not the same.
    {"boss key, active, maximised: hidden", Start::kMaximized, mw::HOTKEY_BOSSKEY, true,
     kMaximizedHidden},
    {"boss key, inactive, maximised: hidden", Start::kMaximized, mw::HOTKEY_BOSSKEY, false,
     kMaximizedHidden},
    {"boss key, inactive, hidden: shown as it was, not brought to the front", Start::kHidden,
     mw::HOTKEY_BOSSKEY, false, kMaximizedShown},
    {"boss key, restored: hidden, still restored", Start::kRestored, mw::HOTKEY_BOSSKEY, false,
     With(kRestoredShown, [](Expect& e) { e.visible = false; })},
    {"boss key, fullscreen: hidden, still fullscreen", Start::kFullscreen, mw::HOTKEY_BOSSKEY, true,
     With(kFullShown, [](Expect& e) { e.visible = false; })},
    {"boss key, minimised by the window manager: hidden like any visible window",
     Start::kMinimizedByWindowManager, mw::HOTKEY_BOSSKEY, false,
     With(kMinimizedFromMax,
          [](Expect& e) {
            e.visible = false;
            e.minimizedByButton = false;
          })},
    {"boss key after the minimise button, maximised before: maximised, in front",
     Start::kMinimizedFromMaximized, mw::HOTKEY_BOSSKEY, false,
     With(kMaximizedShown, [](Expect& e) { e.activated = true; })},
    {"boss key after the minimise button, restored before: restored, in front",
     Start::kMinimizedFromRestored, mw::HOTKEY_BOSSKEY, true,
     With(kRestoredShown, [](Expect& e) { e.activated = true; })},
    {"boss key after the minimise button and a return from the taskbar: shown, maximised, "
     "in front",
     Start::kBackFromTaskbarFlagKept, mw::HOTKEY_BOSSKEY, true,
     With(kMaximizedShown, [](Expect& e) { e.activated = true; })},
    {"boss key, hidden after the minimise button: shown and maximised, in front",
     Start::kHiddenWhileMinimizedByButton, mw::HOTKEY_BOSSKEY, false,
     With(kMaximizedShown, [](Expect& e) { e.activated = true; })},

    // Ids the launcher never registers do nothing.
    {"unknown id", Start::kMaximized, 4, true, kMaximizedShown},
};

TEST(MainWindowHotkeys, WhatEachHotkeyDoes) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    MainWindowHarness h;
    ASSERT_TRUE(h.Start());
    h.AttachGameWindow();
    Reach(h, c.start);
    h.gui.activeApplication = c.active;
    const int reloadsBefore = h.View().Reloads();
    const std::size_t messagesBefore = h.gui.sentMessages.size();
    h.Main().ClearCalls();

    h.Main().PressHotkey(c.hotkey);

    const Expect& e = c.expect;
    EXPECT_EQ(h.Main().IsVisible(), e.visible);
    EXPECT_EQ(h.dialog->FullScreen(), e.fullScreen);
    EXPECT_EQ(h.dialog->Maximized(), e.maximized);
    EXPECT_EQ(h.dialog->MinimizedByButton(), e.minimizedByButton);
    EXPECT_EQ(h.Main().State(), e.wmState);
    EXPECT_EQ(h.Main().Geometry(), e.geometry);
    const auto& calls = h.Main().Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "Activate"), e.activated ? 1 : 0);
    if (e.activated) {
      // In front only once it is shown and in its state again.
      EXPECT_EQ(calls.back(), "Activate");
    }
    EXPECT_EQ(h.View().Reloads() - reloadsBefore, e.reloads);
    int refreshes = 0;
    for (std::size_t i = messagesBefore; i < h.gui.sentMessages.size(); ++i) {
      refreshes += h.gui.sentMessages[i].message == mw::WM_GAMEWND_REFRESH ? 1 : 0;
    }
    EXPECT_EQ(refreshes, e.refreshes);
  }
}

// Two presses of the boss key hide and show the window in whatever state it
// was, its place and buttons unchanged.
TEST(MainWindowHotkeys, BossKeyTwiceLeavesTheWindowAsItWas) {
  for (Start start : {Start::kMaximized, Start::kRestored, Start::kFullscreen}) {
    SCOPED_TRACE(static_cast<int>(start));
    MainWindowHarness h;
    ASSERT_TRUE(h.Start());
    Reach(h, start);
    const Rect geometry = h.Main().Geometry();
    const WindowState state = h.Main().State();
    std::vector<bool> buttons;
    for (const auto& button : mw::kTitleButtons) {
      buttons.push_back(h.ButtonShown(button.id));
    }
    h.Main().PressHotkey(mw::HOTKEY_BOSSKEY);
    EXPECT_FALSE(h.Main().IsVisible());
    h.Main().PressHotkey(mw::HOTKEY_BOSSKEY);
    EXPECT_TRUE(h.Main().IsVisible());
    EXPECT_EQ(h.Main().Geometry(), geometry);
    EXPECT_EQ(h.Main().State(), state);
    for (std::size_t i = 0; i < mw::kTitleButtons.size(); ++i) {
      EXPECT_EQ(h.ButtonShown(mw::kTitleButtons[i].id), buttons[i]) << mw::kTitleButtons[i].id;
    }
  }
}

}  // namespace
