// Shows single windows of the skinned UI toolkit on the real backend, for the
// end-to-end tests (not part of the launcher). Usage:
//   korvane-ui-driver messagebox [title] [message]   prints "result <n>" when answered
//   korvane-ui-driver veil                             a main window with the veil over it
//   korvane-ui-driver html <url>                       a window with an HTML view
//   korvane-ui-driver alpha <png id>                   a window showing the image's own alpha
//   korvane-ui-driver teardown <url>                   parent window destroyed before its view
//   korvane-ui-driver button                           a skinned button with a hint on a window
//   korvane-ui-driver platform                         hotkeys, messages and states (below)
//   korvane-ui-driver send <window id> <message> <param>
//   korvane-ui-driver exists <window id>
// Windows are named so tests can find them: "korvane-driver-main", "温馨提示"/title.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "browser/MyHtmlView.h"
#include "platform/linux/gtk/GtkGui.h"
#include "ui/CustomMessageBox.h"
#include "ui/MenbanDlg.h"
#include "ui/PngImages.h"
#include "ui/TouchButton.h"

namespace {

using kv::platform::Rect;

// A plain main window that paints a light face and reports its clicks.
struct MainFace : kv::platform::WindowEvents {
  void OnPaint(kv::platform::Painter& painter) override {
    painter.FillRect({0, 0, 4000, 4000}, kv::platform::Color::FromArgb(0xFFE8E8F0));
    painter.DrawString("Korvane 主窗口 — main window face", {"arial", 18, false},
                       kv::platform::Color::FromArgb(0xFF203040), {20, 20, 560, 40},
                       {kv::platform::TextAlign::kNear, kv::platform::Trimming::kNone, true});
  }
  void OnMouseDown(kv::platform::MouseButton, kv::platform::Point at) override {
    std::printf("main click %d %d\n", at.x, at.y);
    std::fflush(stdout);
  }
  void OnCloseRequest() override { gui->QuitMainLoop(); }
  kv::platform::Gui* gui = nullptr;
};

std::unique_ptr<kv::platform::Window> MakeMain(kv::platform::Gui& gui, MainFace& face,
                                               const Rect& rect) {
  face.gui = &gui;
  kv::platform::WindowOptions options;
  options.title = "korvane-driver-main";
  options.rect = rect;
  auto window = gui.MakeWindow(options, face);
  window->Show();
  return window;
}

int RunMessageBox(kv::platform::Gui& gui, int argc, char** argv) {
  MainFace face;
  bool withOwner = std::getenv("KORVANE_DRIVER_NO_OWNER") == nullptr;
  std::unique_ptr<kv::platform::Window> main;
  if (withOwner) {
    main = MakeMain(gui, face, {100, 100, 800, 500});
  }
  kv::ui::CCustomMessageBox box(gui, main.get());
  if (argc > 3) {
    box.SetTexts(argv[2], argv[3]);
  }
  int result = box.DoModal();
  std::printf("result %d\n", result);
  std::fflush(stdout);
  return 0;
}

int RunVeil(kv::platform::Gui& gui) {
  MainFace face;
  auto main = MakeMain(gui, face, {100, 100, 800, 500});
  kv::ui::CMenbanDlg veil(gui);
  veil.Create(*main);
  // Shown once the main window is on the screen, over its current place.
  gui.RunOnUiThread([&] {
    veil.ShowOver(main->Geometry());
    std::printf("veil shown\n");
    std::fflush(stdout);
  });
  gui.RunMainLoop();
  return 0;
}

// Sees every key before the page; keeps Space from it, as the login pop-up does.
struct HtmlHost : MainFace {
  void OnPaint(kv::platform::Painter& painter) override {
    painter.FillRect({0, 0, 4000, 4000}, kv::platform::Color::FromArgb(0xFF404040));
  }
  bool OnKeyDown(int key, int modifiers) override {
    std::printf("key %d %d\n", key, modifiers);
    std::fflush(stdout);
    return key == 0x20;
  }
};

int RunHtml(kv::platform::Gui& gui, const std::string& url) {
  HtmlHost face;
  auto main = MakeMain(gui, face, {50, 50, 900, 600});
  kv::browser::CMyHtmlView view(gui);
  view.Create("MyWebBrowser", {0, 0, 0, 0}, *main, kv::browser::CMyHtmlView::kControlId);
  view.Navigate(url);
  view.MoveWindow(0, 30, 900, 570, false);
  gui.RunMainLoop();
  return 0;
}

// A window whose whole picture is a PNG resource with per-pixel alpha.
// A light backdrop window lies behind it, so holes show a known colour.
int RunAlpha(kv::platform::Gui& gui, int id) {
  MainFace backdrop;
  auto behind = MakeMain(gui, backdrop, {20, 20, 1400, 800});
  MainFace face;
  face.gui = &gui;
  kv::platform::WindowOptions options;
  options.title = "korvane-driver-alpha";
  options.rect = {60, 40, 100, 100};
  auto window = gui.MakeWindow(options, face);
  window->SetAlphaImage(kv::ui::LoadPngImage(gui, id));
  // Above the backdrop once both are on the screen.
  gui.RunOnUiThread([&] {
    window->Show();
    window->Activate();
  });
  gui.RunMainLoop();
  return 0;
}

// The view outlives its parent window: the owner deletes it afterwards, once.
int RunTeardown(kv::platform::Gui& gui, const std::string& url) {
  HtmlHost face;
  auto main = MakeMain(gui, face, {50, 50, 600, 400});
  auto view = std::make_unique<kv::browser::CMyHtmlView>(gui);
  view->Create("MyWebBrowser", {0, 30, 600, 370}, *main, kv::browser::CMyHtmlView::kControlId);
  view->Navigate(url);
  gui.RunOnUiThread([&] {
    main.reset();
    std::printf("parent destroyed\n");
    view->Refresh();
    view->MoveWindow(0, 0, 10, 10);
    view.reset();
    std::printf("view deleted\n");
    std::fflush(stdout);
    gui.QuitMainLoop();
  });
  gui.RunMainLoop();
  return 0;
}

struct PrintCommands : kv::ui::CommandTarget {
  void OnCommand(int id) override {
    std::printf("command %d\n", id);
    std::fflush(stdout);
  }
};

int RunButton(kv::platform::Gui& gui) {
  MainFace face;
  auto main = MakeMain(gui, face, {100, 100, 400, 200});
  PrintCommands commands;
  kv::ui::CTouchButton button(gui);
  button.Create(*main, 1004, {150, 80, 59, 24}, commands);
  button.SetStateImages(224, 214, 234);
  button.SetHintText("全屏/取消全屏（快捷键F11）", true);
  gui.RunMainLoop();
  return 0;
}

// Prints what reaches it: hotkeys 1 (F5) and 2 (Ctrl+Shift+B), messages, state
// and geometry changes. Messages 1..5 ask it to maximise, restore, enter and
// leave fullscreen, minimise; message 9 ends it.
struct PlatformProbe : kv::platform::WindowEvents {
  void OnPaint(kv::platform::Painter& painter) override {
    painter.FillRect({0, 0, 4000, 4000}, kv::platform::Color::FromArgb(0xFF5080A0));
  }
  void OnHotkey(int id) override { Say("hotkey " + std::to_string(id)); }
  void OnMessage(int message, std::int64_t param) override {
    Say("message " + std::to_string(message) + " " + std::to_string(param));
    switch (message) {
      case 1:
        window->Maximize();
        break;
      case 2:
        window->Restore();
        break;
      case 3:
        window->SetFullscreen(true);
        break;
      case 4:
        window->SetFullscreen(false);
        break;
      case 5:
        window->Minimize();
        break;
      case 9:
        gui->QuitMainLoop();
        break;
      default:
        break;
    }
  }
  void OnStateChanged(kv::platform::WindowState state) override {
    Say("state " + std::to_string(static_cast<int>(state)));
  }
  static void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }
  kv::platform::Gui* gui = nullptr;
  kv::platform::Window* window = nullptr;
};

int RunPlatform(kv::platform::Gui& gui) {
  PlatformProbe probe;
  kv::platform::WindowOptions options;
  options.title = "korvane-driver-platform";
  options.rect = {200, 150, 640, 400};
  auto window = gui.MakeWindow(options, probe);
  probe.gui = &gui;
  probe.window = window.get();
  window->Show();
  bool f5 = window->RegisterHotkey(1, 0, 0x74);
  bool ctrlShiftB = window->RegisterHotkey(2, 2 | 4, 'B');
  kv::platform::Rect work = gui.WorkArea();
  kv::platform::Size screen = gui.ScreenSize();
  std::printf("hotkeys %d %d\nscreen %d %d\nworkarea %d %d %d %d\nid %lld\n", f5, ctrlShiftB,
              screen.width, screen.height, work.x, work.y, work.width, work.height,
              static_cast<long long>(window->Handle()));
  std::fflush(stdout);
  gui.RunMainLoop();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: korvane-ui-driver messagebox|veil|html ...\n", stderr);
    return 2;
  }
  kv::platform::GtkGui gui;
  if (!gui.Initialize()) {
    std::fputs("korvane-ui-driver: no display\n", stderr);
    return 1;
  }
  std::string mode = argv[1];
  if (mode == "messagebox") {
    return RunMessageBox(gui, argc, argv);
  }
  if (mode == "veil") {
    return RunVeil(gui);
  }
  if (mode == "teardown" && argc > 2) {
    return RunTeardown(gui, argv[2]);
  }
  if (mode == "button") {
    return RunButton(gui);
  }
  if (mode == "platform") {
    return RunPlatform(gui);
  }
  if (mode == "send" && argc > 4) {
    bool sent = gui.SendWindowMessage(std::atoll(argv[2]), std::atoi(argv[3]), std::atoll(argv[4]));
    std::printf("sent %d\n", sent);
    return 0;
  }
  if (mode == "exists" && argc > 2) {
    std::printf("exists %d\n", gui.WindowExists(std::atoll(argv[2])));
    return 0;
  }
  if (mode == "alpha" && argc > 2) {
    return RunAlpha(gui, std::atoi(argv[2]));
  }
  if (mode == "html" && argc > 2) {
    return RunHtml(gui, argv[2]);
  }
  std::fputs("korvane-ui-driver: unknown mode\n", stderr);
  return 2;
}
