// Every state of the main window (maximised to the work area, restored,
// minimised, hidden, fullscreen) and every way between them, as one table:
// start state, action, then the flags, the window's place and window-manager
// state, the buttons shown, the page's place, what an attached game window was
// told, the refit timer and drags.

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "tests/support/MainWindowHarness.h"

namespace {

using kv::platform::Rect;
using kv::platform::WindowState;
using kv::test::MainWindowHarness;
namespace mw = kv::mainwnd;

constexpr Rect kWork = MainWindowHarness::kWorkArea;
constexpr Rect kScreen = MainWindowHarness::kScreen;
constexpr Rect kCentred{300, 130, 1000, 700};  // 1000 x 700 centred in the work area
constexpr Rect kDragged{50, 60, 1000, 700};

// The buttons, from the right edge of the client area: id, offset, width, height.
struct ButtonPlace {
  int id;
  int fromRight;
  int width;
  int height;
};
constexpr ButtonPlace kButtonPlaces[] = {
    {1001, 28, 28, 26},  {1008, 57, 28, 26},  {1002, 57, 28, 26},
    {1003, 86, 28, 26},  {1004, 192, 85, 24}, {1005, 294, 97, 24},
    {1030, 384, 85, 24}, {1021, 467, 78, 24}, {1007, 531, 59, 24},
};
const std::set<int> kAllButtons = {1001, 1008, 1002, 1003, 1004, 1005, 1030, 1021, 1007};
const std::set<int> kMaximizedStrip = {1001, 1002, 1003, 1004, 1005, 1030, 1021, 1007};
const std::set<int> kRestoredStrip = {1001, 1008, 1003, 1004, 1005, 1030, 1021, 1007};
const std::set<int> kNoButtons = {};

enum class Start {
  kMaximized,               // as the start sequence leaves it
  kRestored,                // restore button
  kRestoredDragged,         // restored, then moved by the user
  kMaximizedAfterDrag,      // restored, moved, maximised again
  kMinimizedFromMaximized,  // minimise button while maximised
  kMinimizedFromRestored,
  kFullscreenFromMaximized,
  kFullscreenFromRestored,
};

struct Expect {
  bool maximized;
  bool fullScreen;
  bool minimizedByButton;
  Rect geometry;
  WindowState wmState;
  bool visible;
  std::set<int> shownButtons;
  Rect view;
  std::vector<int> relayouts;  // 3027 parameters sent to the game window by the action
  bool refitTimer;
  int drags;  // move drags started by the action
};

struct Case {
  const char* name;
  Start start;
  std::function<void(MainWindowHarness&)> action;
  Expect expect;
};

void Reach(MainWindowHarness& h, Start start) {
  switch (start) {
    case Start::kMaximized:
      break;
    case Start::kRestored:
      h.ClickButton(mw::IDC_BTN_RESTORE);
      break;
    case Start::kRestoredDragged:
      h.ClickButton(mw::IDC_BTN_RESTORE);
      h.Main().WindowManagerPlace(kDragged);
      break;
    case Start::kMaximizedAfterDrag:
      h.ClickButton(mw::IDC_BTN_RESTORE);
      h.Main().WindowManagerPlace(kDragged);
      h.ClickButton(mw::IDC_BTN_MAXIMIZE);
      break;
    case Start::kMinimizedFromMaximized:
      h.ClickButton(mw::IDC_BTN_MINIMIZE);
      break;
    case Start::kMinimizedFromRestored:
      h.ClickButton(mw::IDC_BTN_RESTORE);
      h.ClickButton(mw::IDC_BTN_MINIMIZE);
      break;
    case Start::kFullscreenFromMaximized:
      h.ClickButton(mw::IDC_BTN_FULLSCREEN);
      break;
    case Start::kFullscreenFromRestored:
      h.ClickButton(mw::IDC_BTN_RESTORE);
      h.ClickButton(mw::IDC_BTN_FULLSCREEN);
      break;
  }
}

auto Click(int id) {
  return [id](MainWindowHarness& h) { h.ClickButton(id); };
}
void DoubleClickStrip(MainWindowHarness& h) {
  h.Main().DoubleClick(h.StripPoint());
}
// Press on the strip, move the pointer 30 pixels, release.
void DragStrip(MainWindowHarness& h) {
  const kv::platform::Point from = h.StripPoint();
  h.Main().MouseDown(from);
  h.Main().MouseMove({from.x + 30, from.y + 10});
  h.Main().MouseUp({from.x + 30, from.y + 10});
}
// The taskbar brings a minimised window back: the window manager shows it in
// its own maximised placement, over the panel.
void TaskbarRestoreMaximized(MainWindowHarness& h) {
  h.Main().WindowManagerSetState(WindowState::kMaximized);
  h.Main().WindowManagerPlace(kScreen);
}
void TaskbarRestoreNormal(MainWindowHarness& h) {
  h.Main().WindowManagerSetState(WindowState::kNormal);
}
void CloseRequestDeclined(MainWindowHarness& h) {
  h.AnswerNextPrompt(kv::platform::kKeyEscape);
  h.Main().RequestClose();
}

// Views of the page: below the strip of a maximised or restored window, or everything.
constexpr Rect kViewMaximized{0, 30, 1600, 930};
constexpr Rect kViewRestored{0, 30, 1000, 670};
constexpr Rect kViewFull{0, 0, 1600, 1000};

const Case kCases[] = {
    // Maximised and restored, by the buttons and by double-clicks on the strip.
    {"maximised, restore button",
     Start::kMaximized,
     Click(1002),
     {false,
      false,
      false,
      kCentred,
      WindowState::kNormal,
      true,
      kRestoredStrip,
      kViewRestored,
      {0},
      false,
      0}},
    {"restored, maximise button",
     Start::kRestored,
     Click(1008),
     {true,
      false,
      false,
      kWork,
      WindowState::kMaximized,
      true,
      kMaximizedStrip,
      kViewMaximized,
      {0},
      false,
      0}},
    {"maximised, double-click on the strip",
     Start::kMaximized,
     DoubleClickStrip,
     {false,
      false,
      false,
      kCentred,
      WindowState::kNormal,
      true,
      kRestoredStrip,
      kViewRestored,
      {0},
      false,
      0}},
    {"restored, double-click on the strip",
     Start::kRestored,
     DoubleClickStrip,
     {true,
      false,
      false,
      kWork,
      WindowState::kMaximized,
      true,
      kMaximizedStrip,
      kViewMaximized,
      {0},
      false,
      0}},
    {"maximised after a drag, restore button: back where it was dragged",
     Start::kMaximizedAfterDrag,
     Click(1002),
     {false,
      false,
      false,
      kDragged,
      WindowState::kNormal,
      true,
      kRestoredStrip,
      kViewRestored,
      {0},
      false,
      0}},
    {"maximised after a drag, double-click: back where it was dragged",
     Start::kMaximizedAfterDrag,
     DoubleClickStrip,
     {false,
      false,
      false,
      kDragged,
      WindowState::kNormal,
      true,
      kRestoredStrip,
      kViewRestored,
      {0},
      false,
      0}},

    // Dragging by the strip only while not zoomed.
    {"restored, dragging the strip moves the window",
     Start::kRestored,
     DragStrip,
     {false,
      false,
      false,
      kCentred,
      WindowState::kNormal,
      true,
      kRestoredStrip,
      kViewRestored,
      {},
      false,
      1}},
    {"restored, a click on the strip does not drag",
     Start::kRestored,
     [](MainWindowHarness& h) {
       h.Main().MouseDown(h.StripPoint());
       h.Main().MouseMove({h.StripPoint().x + 2, h.StripPoint().y + 1});
       h.Main().MouseUp(h.StripPoint());
     },
     {false,
      false,
      false,
      kCentred,
      WindowState::kNormal,
      true,
      kRestoredStrip,
      kViewRestored,
      {},
      false,
      0}},
    {"maximised, dragging the strip does not move it",
     Start::kMaximized,
     DragStrip,
     {true,
      false,
      false,
      kWork,
      WindowState::kMaximized,
      true,
      kMaximizedStrip,
      kViewMaximized,
      {},
      false,
      0}},
    {"fullscreen, dragging does not move it",
     Start::kFullscreenFromRestored,
     DragStrip,
     {false,
      true,
      false,
      kScreen,
      WindowState::kFullscreen,
      true,
      kNoButtons,
      kViewFull,
      {},
      false,
      0}},

    // Minimised, by the button and back from the taskbar.
    {"maximised, minimise button",
     Start::kMaximized,
     Click(1003),
     {true,
      false,
      true,
      kWork,
      WindowState::kMinimized,
      true,
      kMaximizedStrip,
      kViewMaximized,
      {},
      false,
      0}},
    {"restored, minimise button",
     Start::kRestored,
     Click(1003),
     {false,
      false,
      true,
      kCentred,
      WindowState::kMinimized,
      true,
      kRestoredStrip,
      kViewRestored,
      {},
      false,
      0}},
    {"minimised from maximised, taskbar restore: over the panel, refit pending",
     Start::kMinimizedFromMaximized,
     TaskbarRestoreMaximized,
     {true,
      false,
      true,
      kScreen,
      WindowState::kMaximized,
      true,
      kMaximizedStrip,
      {0, 30, 1600, 970},
      {0},
      true,
      0}},
    {"minimised from maximised, taskbar restore and 10 ms later: fitted to the work area",
     Start::kMinimizedFromMaximized,
     [](MainWindowHarness& h) {
       TaskbarRestoreMaximized(h);
       EXPECT_EQ(h.Main().Timers().at(mw::TIMER_REFIT).ms, 10);
       EXPECT_FALSE(h.Main().Timers().at(mw::TIMER_REFIT).repeat);
       EXPECT_TRUE(h.Main().FireTimer(mw::TIMER_REFIT));
     },
     {true,
      false,
      true,
      kWork,
      WindowState::kMaximized,
      true,
      kMaximizedStrip,
      kViewMaximized,
      {0, 0},
      false,
      0}},
    {"minimised from restored, taskbar restore: no refit",
     Start::kMinimizedFromRestored,
     TaskbarRestoreNormal,
     {false,
      false,
      true,
      kCentred,
      WindowState::kNormal,
      true,
      kRestoredStrip,
      kViewRestored,
      {},
      false,
      0}},
    {"minimised by button, maximise (the boss key's way back)",
     Start::kMinimizedFromMaximized,
     [](MainWindowHarness& h) { h.dialog->OnMaximize(); },
     {true,
      false,
      false,
      kWork,
      WindowState::kMaximized,
      true,
      kMaximizedStrip,
      kViewMaximized,
      {0},
      false,
      0}},
    {"minimised by button, restore (the boss key's way back)",
     Start::kMinimizedFromRestored,
     [](MainWindowHarness& h) { h.dialog->OnRestore(); },
     {false,
      false,
      false,
      kCentred,
      WindowState::kNormal,
      true,
      kRestoredStrip,
      kViewRestored,
      {0},
      false,
      0}},

    // Fullscreen: in by the button (or the hotkey's form), out always to maximised.
    {"maximised, fullscreen button",
     Start::kMaximized,
     Click(1004),
     {true,
      true,
      false,
      kScreen,
      WindowState::kFullscreen,
      true,
      kNoButtons,
      kViewFull,
      {1},
      false,
      0}},
    {"restored, fullscreen button",
     Start::kRestored,
     Click(1004),
     {false,
      true,
      false,
      kScreen,
      WindowState::kFullscreen,
      true,
      kNoButtons,
      kViewFull,
      {1},
      false,
      0}},
    {"minimised by button, fullscreen button clears the minimise mark",
     Start::kMinimizedFromRestored,
     [](MainWindowHarness& h) { h.dialog->EnterFullScreen(true); },
     {false,
      true,
      false,
      kScreen,
      WindowState::kFullscreen,
      true,
      kNoButtons,
      kViewFull,
      {1},
      false,
      0}},
    {"minimised by button, fullscreen by hotkey keeps the minimise mark",
     Start::kMinimizedFromRestored,
     [](MainWindowHarness& h) { h.dialog->EnterFullScreen(false); },
     {false,
      true,
      true,
      kScreen,
      WindowState::kFullscreen,
      true,
      kNoButtons,
      kViewFull,
      {1},
      false,
      0}},
    {"fullscreen from maximised, leave",
     Start::kFullscreenFromMaximized,
     [](MainWindowHarness& h) { h.dialog->LeaveFullScreen(); },
     {true,
      false,
      false,
      kWork,
      WindowState::kMaximized,
      true,
      kMaximizedStrip,
      kViewMaximized,
      {0},
      false,
      0}},
    {"fullscreen from restored, leave: maximised, not restored",
     Start::kFullscreenFromRestored,
     [](MainWindowHarness& h) { h.dialog->LeaveFullScreen(); },
     {true,
      false,
      false,
      kWork,
      WindowState::kMaximized,
      true,
      kMaximizedStrip,
      kViewMaximized,
      {0},
      false,
      0}},
    {"fullscreen, close request declined: leaves fullscreen",
     Start::kFullscreenFromRestored,
     CloseRequestDeclined,
     {true,
      false,
      false,
      kWork,
      WindowState::kMaximized,
      true,
      kMaximizedStrip,
      kViewMaximized,
      {0},
      false,
      0}},
    {"restored, close request declined: nothing changes",
     Start::kRestored,
     CloseRequestDeclined,
     {false,
      false,
      false,
      kCentred,
      WindowState::kNormal,
      true,
      kRestoredStrip,
      kViewRestored,
      {},
      false,
      0}},
    {"maximised, leave fullscreen does nothing",
     Start::kMaximized,
     [](MainWindowHarness& h) { h.dialog->LeaveFullScreen(); },
     {true,
      false,
      false,
      kWork,
      WindowState::kMaximized,
      true,
      kMaximizedStrip,
      kViewMaximized,
      {},
      false,
      0}},

    // Hidden: from any state, nothing else changes.
    {"maximised, boss key button hides",
     Start::kMaximized,
     Click(1005),
     {true,
      false,
      false,
      kWork,
      WindowState::kMaximized,
      false,
      kMaximizedStrip,
      kViewMaximized,
      {},
      false,
      0}},
    {"restored, boss key button hides",
     Start::kRestored,
     Click(1005),
     {false,
      false,
      false,
      kCentred,
      WindowState::kNormal,
      false,
      kRestoredStrip,
      kViewRestored,
      {},
      false,
      0}},

    // The window manager resizes the window: page, buttons and game window follow.
    {"maximised, resized by the window manager",
     Start::kMaximized,
     [](MainWindowHarness& h) {
       h.Main().WindowManagerPlace({0, 0, 1200, 800});
     },
     {true,
      false,
      false,
      {0, 0, 1200, 800},
      WindowState::kMaximized,
      true,
      kMaximizedStrip,
      {0, 30, 1200, 770},
      {0},
      false,
      0}},
    {"fullscreen, resized by the window manager",
     Start::kFullscreenFromMaximized,
     [](MainWindowHarness& h) {
       h.Main().WindowManagerPlace({0, 0, 1280, 1024});
     },
     {true,
      true,
      false,
      {0, 0, 1280, 1024},
      WindowState::kFullscreen,
      true,
      kNoButtons,
      {0, 0, 1280, 1024},
      {1},
      false,
      0}},
};

TEST(MainWindowStates, EveryTransition) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    MainWindowHarness h;
    ASSERT_TRUE(h.Start());
    h.AttachGameWindow();
    Reach(h, c.start);
    const std::size_t messagesBefore = h.gui.sentMessages.size();
    const int dragsBefore = h.Main().MoveDrags();

    c.action(h);

    const Expect& e = c.expect;
    EXPECT_EQ(h.dialog->Maximized(), e.maximized);
    EXPECT_EQ(h.dialog->FullScreen(), e.fullScreen);
    EXPECT_EQ(h.dialog->MinimizedByButton(), e.minimizedByButton);
    EXPECT_EQ(h.Main().Geometry(), e.geometry);
    EXPECT_EQ(h.Main().State(), e.wmState);
    EXPECT_EQ(h.Main().IsVisible(), e.visible);
    std::set<int> shown;
    for (int id : kAllButtons) {
      if (h.ButtonShown(id)) {
        shown.insert(id);
      }
    }
    EXPECT_EQ(shown, e.shownButtons);
    // Shown buttons sit at their places from the right edge, 3 pixels down.
    for (const ButtonPlace& place : kButtonPlaces) {
      if (shown.count(place.id) != 0) {
        EXPECT_EQ(h.ButtonWindow(place.id).Geometry(),
                  (Rect{e.geometry.width - place.fromRight, 3, place.width, place.height}))
            << "button " << place.id;
      }
    }
    EXPECT_EQ(h.View().Placement(), e.view);
    EXPECT_EQ(h.RelayoutsSince(messagesBefore), e.relayouts);
    EXPECT_EQ(h.Main().TimerRunning(mw::TIMER_REFIT), e.refitTimer);
    EXPECT_EQ(h.Main().MoveDrags() - dragsBefore, e.drags);
    EXPECT_FALSE(h.dialog->Ended());
  }
}

// Where the start sequence leaves the window: the launcher's maximised state.
TEST(MainWindowStates, StartsMaximisedToTheWorkArea) {
  struct WorkAreaCase {
    const char* name;
    Rect workArea;
    Rect expected;
    Rect restored;  // where the restore button puts it: centred in that area
  };
  const WorkAreaCase cases[] = {
      {"panel at the bottom", {0, 0, 1600, 960}, {0, 0, 1600, 960}, {300, 130, 1000, 700}},
      {"no panel", {0, 0, 1600, 1000}, {0, 0, 1600, 1000}, {300, 150, 1000, 700}},
      {"panel at the top: the work area's own corner",
       {0, 32, 1600, 968},
       {0, 32, 1600, 968},
       {300, 166, 1000, 700}},
      {"panel on the left", {64, 0, 1536, 1000}, {64, 0, 1536, 1000}, {332, 150, 1000, 700}},
      {"work area unknown: the screen", {0, 0, 0, 0}, {0, 0, 1600, 1000}, {300, 150, 1000, 700}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MainWindowHarness h;
    h.gui.workArea = c.workArea;
    ASSERT_TRUE(h.Start());
    EXPECT_TRUE(h.dialog->Maximized());
    EXPECT_FALSE(h.dialog->FullScreen());
    EXPECT_FALSE(h.dialog->MinimizedByButton());
    EXPECT_EQ(h.Main().Geometry(), c.expected);
    EXPECT_EQ(h.Main().State(), WindowState::kMaximized);
    EXPECT_FALSE(h.ButtonShown(mw::IDC_BTN_MAXIMIZE));
    EXPECT_TRUE(h.ButtonShown(mw::IDC_BTN_RESTORE));
    EXPECT_EQ(h.View().Placement(), (Rect{0, 30, c.expected.width, c.expected.height - 30}));
    h.ClickButton(mw::IDC_BTN_RESTORE);
    EXPECT_EQ(h.Main().Geometry(), c.restored);
  }
}

// The place a restored window comes back to is where it was centred or last
// dragged; sizes other than 1000 x 700 (the window manager's maximised
// placement) never become that place.
TEST(MainWindowStates, RestoredPlaceFollowsDragsOnly) {
  MainWindowHarness h;
  ASSERT_TRUE(h.Start());
  EXPECT_EQ(h.dialog->RestoredPlace(), kCentred);
  h.Main().WindowManagerPlace({0, 0, 1600, 1000});  // the WM's own maximised placement
  EXPECT_EQ(h.dialog->RestoredPlace(), kCentred);
  h.ClickButton(mw::IDC_BTN_RESTORE);
  h.Main().WindowManagerPlace({400, 200, 1000, 700});
  h.Main().WindowManagerPlace({410, 220, 1000, 700});
  h.ClickButton(mw::IDC_BTN_FULLSCREEN);
  h.dialog->LeaveFullScreen();
  h.ClickButton(mw::IDC_BTN_RESTORE);
  EXPECT_EQ(h.Main().Geometry(), (Rect{410, 220, 1000, 700}));
}

// A drag moves the window but does not resize it: nothing is re-placed and the
// game window is not disturbed.
TEST(MainWindowStates, MovingDoesNotRelayout) {
  MainWindowHarness h;
  ASSERT_TRUE(h.Start());
  h.AttachGameWindow();
  h.ClickButton(mw::IDC_BTN_RESTORE);
  const std::size_t before = h.gui.sentMessages.size();
  const auto placements = h.View().Placements().size();
  h.Main().WindowManagerPlace({20, 20, 1000, 700});
  h.Main().WindowManagerPlace({40, 30, 1000, 700});
  EXPECT_TRUE(h.RelayoutsSince(before).empty());
  EXPECT_EQ(h.View().Placements().size(), placements);
}

// Brought back from the taskbar while fullscreen: the window covers the screen
// again instead of shrinking to the work area with neither strip nor buttons.
TEST(MainWindowStates, TaskbarRestoreInFullscreenStaysFullscreen) {
  MainWindowHarness h;
  ASSERT_TRUE(h.Start());
  h.AttachGameWindow();
  h.ClickButton(mw::IDC_BTN_FULLSCREEN);
  h.Main().WindowManagerSetState(WindowState::kMinimized);
  h.Main().WindowManagerSetState(WindowState::kFullscreen);
  const std::size_t before = h.gui.sentMessages.size();
  ASSERT_TRUE(h.Main().FireTimer(mw::TIMER_REFIT));
  EXPECT_EQ(h.Main().Geometry(), kScreen);
  EXPECT_EQ(h.View().Placement(), kViewFull);
  EXPECT_EQ(h.RelayoutsSince(before), std::vector<int>{1});
  EXPECT_TRUE(h.dialog->FullScreen());
}

}  // namespace
