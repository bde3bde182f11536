// Shows single windows of the skinned UI toolkit on the real backend, for the
// end-to-end tests (not part of the launcher). Usage:
//   korvane-ui-driver messagebox [title] [message]   prints "result <n>" when answered
//   korvane-ui-driver veil                             a main window with the veil over it
//   korvane-ui-driver html <url>                       a window with an HTML view
// Windows are named so tests can find them: "korvane-driver-main", "温馨提示"/title.
#include <cstdio>
#include <cstring>
#include <string>

#include "browser/MyHtmlView.h"
#include "platform/linux/gtk/GtkGui.h"
#include "ui/CustomMessageBox.h"
#include "ui/MenbanDlg.h"

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

struct HtmlHost : MainFace {
  void OnPaint(kv::platform::Painter& painter) override {
    painter.FillRect({0, 0, 4000, 4000}, kv::platform::Color::FromArgb(0xFF404040));
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
  if (mode == "html" && argc > 2) {
    return RunHtml(gui, argv[2]);
  }
  std::fputs("korvane-ui-driver: unknown mode\n", stderr);
  return 2;
}
