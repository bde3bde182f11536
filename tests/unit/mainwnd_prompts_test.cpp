// The exit prompt (close button, close request) and the server switch, each
// answered both ways, with and without an attached game window: what the box
// says, whether the dialog ends, and the order of the game window's close, the
// pause, the new launcher and the end.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/MainWindowHarness.h"

namespace {

using kv::platform::kKeyEscape;
using kv::platform::kKeyReturn;
using kv::test::MainWindowHarness;
namespace mw = kv::mainwnd;

constexpr auto kGame = MainWindowHarness::kGameWindow;

std::vector<kv::fake::FakeGui::SentMessage> MessagesTo(const MainWindowHarness& h,
                                                       kv::platform::NativeWindowId target,
                                                       int message) {
  std::vector<kv::fake::FakeGui::SentMessage> found;
  for (const auto& sent : h.gui.sentMessages) {
    if (sent.target == target && sent.message == message) {
      found.push_back(sent);
    }
  }
  return found;
}

TEST(MainWindowPrompts, ExitPrompt) {
  struct Case {
    const char* name;
    bool gameWindow;
    int answerKey;
    bool byCloseRequest;  // Alt+F4 / the window manager's close instead of the button
    bool ends;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      {"button, agreed, no game window: ends at once, no pause",
       false,
       kKeyReturn,
       false,
       true,
       {"prompt (messages 0)"}},
      {"button, agreed, game window: closed, then the pause, then the end",
       true,
       kKeyReturn,
       false,
       true,
       {"prompt (messages 0)", "sleep 50 (messages 1)"}},
      {"button, declined", true, kKeyEscape, false, false, {"prompt (messages 0)"}},
      {"close request, agreed",
       true,
       kKeyReturn,
       true,
       true,
       {"prompt (messages 0)", "sleep 50 (messages 1)"}},
      {"close request, declined", false, kKeyEscape, true, false, {"prompt (messages 0)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MainWindowHarness h;
    ASSERT_TRUE(h.Start());
    if (c.gameWindow) {
      h.AttachGameWindow();
    }
    h.gui.sentMessages.clear();
    h.AnswerNextPrompt(c.answerKey);
    if (c.byCloseRequest) {
      h.Main().RequestClose();
    } else {
      h.ClickButton(mw::IDC_BTN_CLOSE);
    }
    EXPECT_EQ(h.promptTexts, (std::vector<std::string>{"关闭提示", "是否退出《Korvane》登入器？"}));
    EXPECT_EQ(h.dialog->Ended(), c.ends);
    EXPECT_EQ(h.events, c.events);
    const auto closes = MessagesTo(h, kGame, mw::WM_GAMEWND_CLOSE);
    EXPECT_EQ(closes.size(), c.gameWindow && c.ends ? 1u : 0u);
    EXPECT_TRUE(h.Main().IsVisible());  // the exit prompt does not hide the window
  }
}

TEST(MainWindowPrompts, ServerSwitch) {
  struct Case {
    const char* name;
    bool gameWindow;
    int answerKey;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      {"agreed, no game window: hidden, new launcher started, then the end",
       false,
       kKeyReturn,
       {"prompt (messages 0)", "start /opt/korvane/korvane [] (messages 0, hidden)"}},
      {"agreed, game window: hidden, game window closed and waited for, new launcher, end",
       true,
       kKeyReturn,
       {"prompt (messages 0)", "sleep 50 (messages 1, hidden)",
        "start /opt/korvane/korvane [] (messages 1, hidden)"}},
      {"declined: nothing", true, kKeyEscape, {"prompt (messages 0)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MainWindowHarness h;
    ASSERT_TRUE(h.Start());
    if (c.gameWindow) {
      h.AttachGameWindow();
    }
    h.gui.sentMessages.clear();
    h.AnswerNextPrompt(c.answerKey);
    h.ClickButton(mw::IDC_BTN_SERVER);
    const bool agreed = c.answerKey == kKeyReturn;
    EXPECT_EQ(h.promptTexts,
              (std::vector<std::string>{"选服", "您是否退出当前服务器，重新选择新服务器？"}));
    EXPECT_EQ(h.events, c.events);
    EXPECT_EQ(h.dialog->Ended(), agreed);
    EXPECT_EQ(h.Main().IsVisible(), !agreed);
    EXPECT_EQ(MessagesTo(h, kGame, mw::WM_GAMEWND_CLOSE).size(), c.gameWindow && agreed ? 1u : 0u);
  }
}

// Alt+F4 in fullscreen: declining leaves fullscreen for the maximised state;
// agreeing ends the launcher.
TEST(MainWindowPrompts, CloseRequestInFullscreen) {
  for (int key : {kKeyEscape, kKeyReturn}) {
    const bool agreed = key == kKeyReturn;
    SCOPED_TRACE(agreed ? "agreed" : "declined");
    MainWindowHarness h;
    ASSERT_TRUE(h.Start());
    h.ClickButton(mw::IDC_BTN_RESTORE);
    h.ClickButton(mw::IDC_BTN_FULLSCREEN);
    h.AnswerNextPrompt(key);
    h.Main().RequestClose();
    EXPECT_EQ(h.dialog->Ended(), agreed);
    if (!agreed) {
      EXPECT_FALSE(h.dialog->FullScreen());
      EXPECT_TRUE(h.dialog->Maximized());
      EXPECT_EQ(h.Main().Geometry(), MainWindowHarness::kWorkArea);
      EXPECT_TRUE(h.ButtonShown(mw::IDC_BTN_CLOSE));
    }
  }
}

// DoModal shows the window after the start sequence and runs the event loop
// until a prompt ends it; the result is 0.
TEST(MainWindowPrompts, DoModalRunsUntilTheExitPromptIsAgreed) {
  MainWindowHarness h;
  bool visibleInLoop = false;
  h.gui.mainLoopScript = [&] {
    visibleInLoop = h.dialog->Window()->IsVisible();
    h.AnswerNextPrompt(kKeyEscape);
    h.ClickButton(mw::IDC_BTN_CLOSE);
    EXPECT_EQ(h.gui.mainLoopQuits, 0);
    h.AnswerNextPrompt(kKeyReturn);
    h.ClickButton(mw::IDC_BTN_CLOSE);
  };
  EXPECT_EQ(h.dialog->DoModal(), 0);
  EXPECT_TRUE(visibleInLoop);
  EXPECT_EQ(h.gui.mainLoopRuns, 1);
  EXPECT_EQ(h.gui.mainLoopQuits, 1);
}

}  // namespace
