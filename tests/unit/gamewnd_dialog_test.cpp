// The game window on the recording window-system double: where it attaches in
// the frame, the frame's messages (refresh, refit, close), the keys, the frame
// watcher driven step by step through a gated clock, and the refusal of a frame
// that names no window.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/Modes.h"
#include "browser/MyHtmlView.h"
#include "gamewnd/FrameWatch.h"
#include "gamewnd/GameWndDlg.h"
#include "mainwnd/MainWindowIds.h"
#include "platform/Keys.h"
#include "tests/fake/FakeGui.h"

namespace {

using kv::fake::FakeGui;
using kv::fake::FakeWebView;
using kv::fake::FakeWindow;
using kv::gamewnd::CGameWndDlg;
using kv::platform::NativeWindowId;
using kv::platform::Rect;
using kv::platform::Size;
namespace mw = kv::mainwnd;
namespace kp = kv::platform;

constexpr auto kPark = std::chrono::seconds(10);

// The watcher's clock and exit, played by the test: every Wait parks the
// watcher thread until the test releases it, so the test and the watcher never
// run at the same time and nothing waits for real seconds.
class GatedWatch {
 public:
  kv::gamewnd::FrameWatchServices Services() {
    kv::gamewnd::FrameWatchServices services;
    services.clock = clock_;
    services.exitProcess = [this](int code) { clock_->RecordExit(code); };
    return services;
  }
  // Until the watcher parks in its `count`-th Wait.
  bool WaitParked(std::size_t count) { return clock_->WaitParked(count); }
  // The parked Wait returns true (the time passed).
  void Release() { clock_->Release(); }
  bool WaitExited() { return clock_->WaitExited(); }
  std::vector<int> Waits() const { return clock_->Waits(); }
  std::vector<int> ExitCodes() const { return clock_->ExitCodes(); }

 private:
  class Clock final : public kv::gamewnd::WatchClock {
   public:
    bool Wait(int ms) override {
      std::unique_lock lock(mutex_);
      waits_.push_back(ms);
      parked_ = true;
      changed_.notify_all();
      changed_.wait(lock, [this] { return released_ > 0 || cancelled_; });
      parked_ = false;
      if (released_ > 0) {
        --released_;
        return true;
      }
      return false;
    }
    void Cancel() override {
      std::lock_guard lock(mutex_);
      cancelled_ = true;
      changed_.notify_all();
    }
    bool WaitParked(std::size_t count) {
      std::unique_lock lock(mutex_);
      return changed_.wait_for(lock, kPark,
                               [&] { return parked_ && released_ == 0 && waits_.size() >= count; });
    }
    void Release() {
      std::lock_guard lock(mutex_);
      ++released_;
      changed_.notify_all();
    }
    void RecordExit(int code) {
      std::lock_guard lock(mutex_);
      exits_.push_back(code);
      changed_.notify_all();
    }
    bool WaitExited() {
      std::unique_lock lock(mutex_);
      return changed_.wait_for(lock, kPark, [this] { return !exits_.empty(); });
    }
    std::vector<int> Waits() const {
      std::lock_guard lock(mutex_);
      return waits_;
    }
    std::vector<int> ExitCodes() const {
      std::lock_guard lock(mutex_);
      return exits_;
    }

   private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<int> waits_;
    std::vector<int> exits_;
    int released_ = 0;
    bool parked_ = false;
    bool cancelled_ = false;
  };
  std::shared_ptr<Clock> clock_ = std::make_shared<Clock>();
};

// A frame window of another process, 1600 x 960, and the game window for it.
struct GameHarness {
  static constexpr NativeWindowId kFrame = 0x5A00001;
  static constexpr Size kFrameSize{1600, 960};

  explicit GameHarness(std::string url = "http://127.0.0.1:9/game?server=3") {
    gui.foreignWindows.insert(kFrame);
    gui.foreignWindowSizes[kFrame] = kFrameSize;
    dialog = std::make_unique<CGameWndDlg>(gui, kFrame, std::move(url), watch.Services());
  }

  // OnInitDialog, the watcher parked after its first look at the frame, and
  // the window shown as DoModal shows it.
  bool Start() {
    if (!dialog->OnInitDialog()) {
      return false;
    }
    EXPECT_TRUE(watch.WaitParked(1));
    dialog->Window()->Show();
    return true;
  }

  FakeWindow& Game() { return static_cast<FakeWindow&>(*dialog->Window()); }
  FakeWebView& View() {
    EXPECT_EQ(gui.WebViews().size(), 1u);
    return *gui.WebViews().front();
  }
  // A message from the frame, delivered as the event loop would.
  void FromFrame(int message, std::int64_t param) {
    ASSERT_TRUE(gui.SendWindowMessage(Game().Handle(), message, param));
    gui.RunPendingTasks();
  }

  FakeGui gui;
  GatedWatch watch;
  std::unique_ptr<CGameWndDlg> dialog;
};

constexpr Rect kBelowStrip{0, 30, 1600, 930};
constexpr Rect kWholeFrame{0, 0, 1600, 960};

TEST(GameWindowStart, AttachesBelowTheFramesTitleStrip) {
  for (const std::string url :
       {"http://127.0.0.1:9/game?server=3", "http://127.0.0.1:9/a game page?x=1 2", ""}) {
    SCOPED_TRACE("url \"" + url + "\"");
    GameHarness h(url);
    ASSERT_TRUE(h.dialog->OnInitDialog());
    ASSERT_TRUE(h.watch.WaitParked(1));

    ASSERT_EQ(h.gui.Windows().size(), 1u);
    FakeWindow& game = h.Game();
    EXPECT_EQ(game.Options().kind, kp::WindowKind::kEmbedded);
    EXPECT_EQ(game.Options().foreignParent, GameHarness::kFrame);
    EXPECT_EQ(game.Options().rect, kBelowStrip);
    EXPECT_EQ(game.Geometry(), kBelowStrip);
    // Shown by DoModal, once everything is in place.
    EXPECT_FALSE(game.IsVisible());

    FakeWebView& view = h.View();
    EXPECT_EQ(&view.Host(), &game);
    EXPECT_EQ(view.Navigations(), std::vector<std::string>{url});
    EXPECT_EQ(view.Placement(), (Rect{0, 0, 1600, 930}));
    ASSERT_NE(h.dialog->HtmlView(), nullptr);
    EXPECT_EQ(h.dialog->HtmlView()->GetWindowName(), "MyWebBrowser");
    EXPECT_EQ(h.dialog->HtmlView()->GetDlgCtrlID(), 10000);

    // The frame learns the game window's id, once.
    const std::vector<FakeGui::SentMessage> expected = {
        {GameHarness::kFrame, mw::WM_GAMEWND_CREATED, game.Handle()}};
    EXPECT_EQ(h.gui.sentMessages, expected);

    // The watcher looked at the frame, found it and waits a second.
    EXPECT_EQ(h.gui.windowProbesMade, 1);
    EXPECT_EQ(h.watch.Waits(), std::vector<int>{1000});
    EXPECT_EQ(h.gui.RunPendingTasks(), 0);
  }
}

TEST(GameWindowStart, RefusesAFrameThatNamesNoWindow) {
  struct Case {
    const char* name;
    NativeWindowId frame;
  } const cases[] = {
      {"no frame", 0},
      {"an id that names no window", 0x4242},
      {"a negative id", -17},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeGui gui;
    gui.foreignWindows.insert(GameHarness::kFrame);  // some other window exists
    GatedWatch watch;
    {
      CGameWndDlg dialog(gui, c.frame, "http://127.0.0.1:9/game", watch.Services());
      EXPECT_EQ(dialog.DoModal(), -1);
      EXPECT_EQ(dialog.Window(), nullptr);
    }
    // Nothing made, nothing sent, no watcher, no event loop.
    EXPECT_TRUE(gui.Windows().empty());
    EXPECT_TRUE(gui.WebViews().empty());
    EXPECT_TRUE(gui.sentMessages.empty());
    EXPECT_EQ(gui.windowProbesMade, 0);
    EXPECT_TRUE(watch.Waits().empty());
    EXPECT_EQ(gui.mainLoopRuns, 0);

    // The process says why and ends with a failure code.
    testing::internal::CaptureStderr();
    const int code = kv::app::RunGameWindow(gui, c.frame, "http://127.0.0.1:9/game");
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(code, 2);
    EXPECT_NE(errors.find("-frameWnd=" + std::to_string(c.frame) + " names no window"),
              std::string::npos)
        << errors;
    EXPECT_TRUE(gui.Windows().empty());
    EXPECT_EQ(gui.mainLoopRuns, 0);
  }
}

// 3027: 0 leaves the frame's top 30 pixels free, anything else covers the
// frame; the size is the frame's at the time of the message; a hidden game
// window shows itself again.
TEST(GameWindowMessages, RelayoutFollowsTheFrame) {
  struct Case {
    const char* name;
    std::int64_t param;
    Size frameSize;
    Rect expected;
  } const cases[] = {
      {"strip free", 0, {1600, 960}, kBelowStrip},
      {"cover all", 1, {1600, 960}, kWholeFrame},
      {"any other value covers all", 7, {1600, 960}, kWholeFrame},
      {"fullscreen frame", 1, {1600, 1000}, {0, 0, 1600, 1000}},
      {"restored frame", 0, {1000, 700}, {0, 30, 1000, 670}},
      {"frame lower than the strip", 0, {400, 20}, {0, 30, 400, 0}},
  };
  for (const Case& c : cases) {
    for (const bool hidden : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (hidden ? ", hidden before" : ", visible"));
      GameHarness h;
      ASSERT_TRUE(h.Start());
      h.gui.foreignWindowSizes[GameHarness::kFrame] = c.frameSize;
      if (hidden) {
        h.Game().Hide();
      }
      h.Game().ClearCalls();
      h.FromFrame(mw::WM_GAMEWND_RELAYOUT, c.param);
      EXPECT_EQ(h.Game().Geometry(), c.expected);
      EXPECT_EQ(h.View().Placement(), (Rect{0, 0, c.expected.width, c.expected.height}));
      EXPECT_TRUE(h.Game().IsVisible());
      const auto& calls = h.Game().Calls();
      EXPECT_EQ(std::count(calls.begin(), calls.end(), "Show"), hidden ? 1 : 0);
      EXPECT_FALSE(h.dialog->Closed());
    }
  }
}

// Messages are not waited for on X11: a refit may arrive before the frame has
// its new size. The frame's own size changes then keep the game window where
// the last refit put it, without showing a hidden one.
TEST(GameWindowMessages, FollowsTheFramesSizeInTheLastRefitsMode) {
  GameHarness h;
  ASSERT_TRUE(h.Start());
  struct Step {
    const char* name;
    int message;  // 0: the frame's size changes, else a refit with `param`
    std::int64_t param;
    Size frameSize;
    Rect expected;
  } const steps[] = {
      {"resized before any refit", 0, 0, {1000, 700}, {0, 30, 1000, 670}},
      {"refit to cover, frame not grown yet",
       mw::WM_GAMEWND_RELAYOUT,
       1,
       {1000, 700},
       {0, 0, 1000, 700}},
      {"the frame grows to the screen", 0, 0, {1600, 1000}, {0, 0, 1600, 1000}},
      {"refit below the strip, frame not shrunk yet",
       mw::WM_GAMEWND_RELAYOUT,
       0,
       {1600, 1000},
       {0, 30, 1600, 970}},
      {"the frame shrinks to the work area", 0, 0, {1600, 960}, kBelowStrip},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    h.gui.foreignWindowSizes[GameHarness::kFrame] = step.frameSize;
    if (step.message == 0) {
      h.Game().ParentResized(step.frameSize);
    } else {
      h.FromFrame(step.message, step.param);
    }
    EXPECT_EQ(h.Game().Geometry(), step.expected);
    EXPECT_EQ(h.View().Placement(), (Rect{0, 0, step.expected.width, step.expected.height}));
  }

  // A size change alone does not show a hidden game window.
  h.Game().Hide();
  h.Game().ParentResized({1200, 800});
  EXPECT_EQ(h.Game().Geometry(), (Rect{0, 30, 1200, 770}));
  EXPECT_FALSE(h.Game().IsVisible());

  // A size the window system reports for the game window fits the view again.
  h.Game().WindowManagerPlace({0, 30, 1200, 700});
  EXPECT_EQ(h.View().Placement(), (Rect{0, 0, 1200, 700}));

  // Once closed, the frame's size no longer matters.
  h.FromFrame(mw::WM_GAMEWND_CLOSE, 0);
  h.Game().ClearCalls();
  h.Game().ParentResized({1600, 1000});
  EXPECT_TRUE(h.Game().Calls().empty());
}

TEST(GameWindowMessages, RefreshReloadsThePageOnly) {
  GameHarness h;
  ASSERT_TRUE(h.Start());
  h.Game().ClearCalls();
  h.FromFrame(mw::WM_GAMEWND_REFRESH, 0);
  EXPECT_EQ(h.View().Reloads(), 1);
  h.FromFrame(mw::WM_GAMEWND_REFRESH, 0);
  EXPECT_EQ(h.View().Reloads(), 2);
  EXPECT_TRUE(h.Game().Calls().empty());
  EXPECT_EQ(h.Game().Geometry(), kBelowStrip);
  EXPECT_EQ(h.gui.mainLoopQuits, 0);
  // Messages the dialog does not know change nothing either.
  h.FromFrame(mw::WM_GAMEWND_CREATED, 0x1234);
  h.FromFrame(0x0111, 2);  // a command, IDCANCEL
  EXPECT_TRUE(h.Game().Calls().empty());
  EXPECT_FALSE(h.dialog->Closed());
  EXPECT_EQ(h.View().Reloads(), 2);
}

// The close message ends the event loop: the page view goes, the window stays
// until the process ends, and nothing afterwards brings anything back.
TEST(GameWindowMessages, CloseDestroysTheViewAndEndsTheLoop) {
  GameHarness h;
  bool visibleInLoop = false;
  h.gui.mainLoopScript = [&] {
    EXPECT_TRUE(h.watch.WaitParked(1));
    visibleInLoop = h.Game().IsVisible();
    h.FromFrame(mw::WM_GAMEWND_CLOSE, 0);
    EXPECT_TRUE(h.dialog->Closed());
    EXPECT_EQ(h.dialog->HtmlView(), nullptr);
    EXPECT_TRUE(h.gui.WebViews().empty());
    EXPECT_EQ(h.gui.mainLoopQuits, 1);
    EXPECT_EQ(h.gui.Windows().size(), 1u);

    h.Game().Hide();
    h.Game().ClearCalls();
    h.FromFrame(mw::WM_GAMEWND_RELAYOUT, 1);
    h.FromFrame(mw::WM_GAMEWND_REFRESH, 0);
    h.FromFrame(mw::WM_GAMEWND_CLOSE, 0);
    EXPECT_TRUE(h.Game().Calls().empty());
    EXPECT_EQ(h.gui.mainLoopQuits, 1);
  };
  EXPECT_EQ(h.dialog->DoModal(), 0);
  EXPECT_EQ(h.gui.mainLoopRuns, 1);
  EXPECT_TRUE(visibleInLoop);
  // The frame's close is not the watcher's business: it neither closed nor exited.
  EXPECT_TRUE(h.watch.ExitCodes().empty());
}

// Esc and Enter, like every other key, go to the page: none is consumed and
// none closes the game window.
TEST(GameWindowKeys, EveryKeyGoesToThePage) {
  struct Case {
    const char* name;
    int key;
    int modifiers;
  } const cases[] = {
      {"Esc", kp::kKeyEscape, 0},
      {"Enter", kp::kKeyReturn, 0},
      {"Shift+Enter", kp::kKeyReturn, kp::kModShift},
      {"Tab", kp::kKeyTab, 0},
      {"F5", kp::kKeyF5, 0},
      {"Alt+F4", kp::kKeyF1 + 3, kp::kModAlt},
      {"letter", 'A', 0},
  };
  GameHarness h;
  ASSERT_TRUE(h.Start());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(h.Game().KeyDown(c.key, c.modifiers));
    EXPECT_FALSE(h.dialog->Closed());
    EXPECT_NE(h.dialog->HtmlView(), nullptr);
    EXPECT_TRUE(h.Game().IsVisible());
  }
  EXPECT_EQ(h.gui.mainLoopQuits, 0);
  EXPECT_EQ(h.View().Reloads(), 0);
}

TEST(GameWindowWatcher, ClosesAndEndsTheProcessWhenTheFrameVanishes) {
  GameHarness h;
  ASSERT_TRUE(h.Start());

  // The frame is there: a second passes, it is looked at again, nothing happens.
  h.watch.Release();
  ASSERT_TRUE(h.watch.WaitParked(2));
  EXPECT_EQ(h.gui.RunPendingTasks(), 0);
  EXPECT_FALSE(h.dialog->Closed());

  // The frame goes without a word; the next look notices it and asks the
  // user-interface thread to close the dialog.
  h.gui.foreignWindows.erase(GameHarness::kFrame);
  h.watch.Release();
  ASSERT_TRUE(h.watch.WaitParked(3));
  EXPECT_TRUE(h.watch.ExitCodes().empty());
  EXPECT_FALSE(h.dialog->Closed());  // only the user-interface thread closes it
  EXPECT_EQ(h.gui.RunPendingTasks(), 1);
  EXPECT_TRUE(h.dialog->Closed());
  EXPECT_TRUE(h.gui.WebViews().empty());
  EXPECT_EQ(h.gui.mainLoopQuits, 1);

  // A second later the watcher ends the process itself, with code 0.
  h.watch.Release();
  ASSERT_TRUE(h.watch.WaitExited());
  EXPECT_EQ(h.watch.ExitCodes(), std::vector<int>{0});
  EXPECT_EQ(h.watch.Waits(), (std::vector<int>{1000, 1000, 1000}));
  h.dialog.reset();  // joins the finished watcher
}

TEST(GameWindowWatcher, EndsQuietlyWithTheDialog) {
  GameHarness h;
  ASSERT_TRUE(h.Start());
  h.FromFrame(mw::WM_GAMEWND_CLOSE, 0);
  h.dialog.reset();  // cancels the parked wait and joins the watcher
  EXPECT_TRUE(h.watch.ExitCodes().empty());
  EXPECT_EQ(h.watch.Waits(), std::vector<int>{1000});
}

// The dialog goes (the frame closed it) while the watcher's close request is
// still queued: the request finds no dialog and does nothing, and the process
// ends the normal way.
TEST(GameWindowWatcher, ACloseRequestOutlivingTheDialogIsDropped) {
  GameHarness h;
  ASSERT_TRUE(h.Start());
  h.gui.foreignWindows.erase(GameHarness::kFrame);
  h.watch.Release();
  ASSERT_TRUE(h.watch.WaitParked(2));
  h.dialog.reset();
  const int quitsBefore = h.gui.mainLoopQuits;
  EXPECT_EQ(h.gui.RunPendingTasks(), 1);
  EXPECT_EQ(h.gui.mainLoopQuits, quitsBefore);
  EXPECT_TRUE(h.watch.ExitCodes().empty());
}

TEST(GameWindowWatcher, SystemClockWaitsAndCanBeCutShort) {
  kv::gamewnd::SystemWatchClock clock;
  EXPECT_TRUE(clock.Wait(1));

  // A long wait ends as soon as another thread cancels it, and so does every
  // later one.
  const auto start = std::chrono::steady_clock::now();
  std::thread canceller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    clock.Cancel();
  });
  EXPECT_FALSE(clock.Wait(600000));
  canceller.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
  EXPECT_FALSE(clock.Wait(600000));
}

}  // namespace
