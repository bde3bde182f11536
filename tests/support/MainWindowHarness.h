#pragma once
// The main window on the recording window-system double: a 1600 x 1000 screen
// with a 40-pixel panel at the bottom, a login step that yields a chosen
// address, process services that record what they are asked, and helpers that
// play the user.

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "mainwnd/Lorvik_Q7Dlg.h"
#include "mainwnd/MainWindowIds.h"
#include "platform/Keys.h"
#include "tests/fake/FakeGui.h"
#include "ui/MenbanDlg.h"
#include "ui/TouchButton.h"

namespace kv::test {

class RecordingLoginStep final : public mainwnd::LoginStep {
 public:
  RecordingLoginStep(fake::FakeGui& gui, std::string address)
      : gui_(gui), address_(std::move(address)) {}
  std::string Run() override {
    ++runs;
    for (fake::FakeWindow* window : gui_.Windows()) {
      visibleWindowsDuringRun += window->IsVisible() ? 1 : 0;
    }
    return address_;
  }
  int runs = 0;
  int visibleWindowsDuringRun = 0;

 private:
  fake::FakeGui& gui_;
  std::string address_;
};

class MainWindowHarness {
 public:
  static constexpr platform::Rect kScreen{0, 0, 1600, 1000};
  static constexpr platform::Rect kWorkArea{0, 0, 1600, 960};
  static constexpr platform::NativeWindowId kGameWindow = 0x7001;
  static constexpr char kExecutable[] = "/opt/korvane/korvane";

  explicit MainWindowHarness(std::string address = "http://127.0.0.1:9/play_gamecode=1")
      : login(gui, std::move(address)) {
    gui.screenSize = {kScreen.width, kScreen.height};
    gui.workArea = kWorkArea;
    mainwnd::ProcessServices services;
    services.executablePath = [] { return std::filesystem::path(kExecutable); };
    services.startProcess = [this](const std::filesystem::path& program,
                                   const std::string& commandLine) {
      events.push_back("start " + program.string() + " [" + commandLine + "]" + Circumstances());
      return true;
    };
    services.sleep = [this](int ms) {
      events.push_back("sleep " + std::to_string(ms) + Circumstances());
    };
    services.debugTrace = [this](std::string_view line) {
      std::lock_guard lock(traceMutex_);
      traces_.emplace_back(line);
    };
    dialog = std::make_unique<mainwnd::CLorvik_Q7Dlg>(gui, login, services);
  }

  // The start sequence, then the window shown as DoModal shows it.
  bool Start() {
    if (!dialog->OnInitDialog()) {
      return false;
    }
    dialog->Window()->Show();
    return true;
  }

  fake::FakeWindow& Main() { return static_cast<fake::FakeWindow&>(*dialog->Window()); }
  fake::FakeWebView& View() {
    EXPECT_EQ(gui.WebViews().size(), 1u);
    return *gui.WebViews().front();
  }
  ui::CTouchButton& Button(int id) {
    ui::CTouchButton* button = dialog->Button(id);
    EXPECT_NE(button, nullptr) << "button " << id;
    return *button;
  }
  fake::FakeWindow& ButtonWindow(int id) {
    return static_cast<fake::FakeWindow&>(*Button(id).GetWindow());
  }
  bool ButtonShown(int id) { return ButtonWindow(id).IsVisible(); }

  // A click in the middle of a button, as the user makes it: only a shown
  // button can be clicked.
  void ClickButton(int id) {
    fake::FakeWindow& window = ButtonWindow(id);
    ASSERT_TRUE(window.IsVisible()) << "button " << id << " is hidden";
    const platform::Size size = window.ClientSize();
    window.Click({size.width / 2, size.height / 2});
  }

  // A point of the title strip between the left piece and the buttons.
  platform::Point StripPoint() { return {Main().ClientSize().width / 2 - 300, 15}; }

  void AttachGameWindow(platform::NativeWindowId id = kGameWindow) {
    gui.foreignWindows.insert(id);
    Main().Message(mainwnd::WM_GAMEWND_CREATED, id);
  }

  // The first parameters of the 3027 messages sent to `target` since message `from`.
  std::vector<int> RelayoutsSince(std::size_t from, platform::NativeWindowId target = kGameWindow) {
    std::vector<int> params;
    for (std::size_t i = from; i < gui.sentMessages.size(); ++i) {
      const auto& sent = gui.sentMessages[i];
      if (sent.target == target && sent.message == mainwnd::WM_GAMEWND_RELAYOUT) {
        params.push_back(static_cast<int>(sent.param));
      }
    }
    return params;
  }

  // The next prompt box is answered with a key (Enter agrees, Escape refuses);
  // what it showed is kept in promptTexts (title, then message).
  void AnswerNextPrompt(int key) {
    gui.modalScripts.push_back([this, key](fake::FakeWindow& box) {
      for (const auto& op : box.Paint().OpsOf(fake::PaintOp::Kind::kText)) {
        promptTexts.push_back(op.text);
      }
      events.push_back("prompt" + Circumstances());
      box.KeyDown(key);
    });
  }

  // What has happened by the time a process service is called.
  std::string Circumstances() {
    std::string text = " (messages " + std::to_string(gui.sentMessages.size());
    text += dialog->Ended() ? ", ended" : "";
    text += dialog->Window() != nullptr && !dialog->Window()->IsVisible() ? ", hidden" : "";
    return text + ")";
  }

  // The debug trace lines written so far (from any thread).
  std::vector<std::string> Traces() {
    std::lock_guard lock(traceMutex_);
    return traces_;
  }

 private:
  // Before the dialog: its cache-clearing worker may trace until it is destroyed.
  std::mutex traceMutex_;
  std::vector<std::string> traces_;

 public:
  fake::FakeGui gui;
  RecordingLoginStep login;
  std::vector<std::string> events;
  std::vector<std::string> promptTexts;
  std::unique_ptr<mainwnd::CLorvik_Q7Dlg> dialog;
};

}  // namespace kv::test
