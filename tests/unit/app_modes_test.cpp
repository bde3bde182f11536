#include <gtest/gtest.h>

#include <string>

#include "app/App.h"
#include "platform/Gui.h"
#include "tests/fake/FakeGui.h"

namespace {

using namespace kv::platform;

// A window system that is never there: it counts the attempts to connect and
// leaves everything else to the recording double.
class NoDisplay final : public Gui {
 public:
  bool Initialize() override {
    ++calls;
    return false;
  }
  int calls = 0;

  std::unique_ptr<Window> MakeWindow(const WindowOptions& o, WindowEvents& e) override {
    return fake_.MakeWindow(o, e);
  }
  std::unique_ptr<WebView> MakeWebView(Window& h, WebViewEvents& e,
                                       const WebViewOptions& o) override {
    return fake_.MakeWebView(h, e, o);
  }
  std::unique_ptr<Image> DecodePng(std::span<const std::uint8_t> b) override {
    return fake_.DecodePng(b);
  }
  std::unique_ptr<Image> CreateImage(int w, int h, std::span<const std::uint32_t> p) override {
    return fake_.CreateImage(w, h, p);
  }
  std::unique_ptr<Canvas> CreateCanvas(Size s) override { return fake_.CreateCanvas(s); }
  Size ScreenSize() override { return fake_.ScreenSize(); }
  Rect WorkArea() override { return fake_.WorkArea(); }
  bool IsActiveApplication() override { return false; }
  bool SendWindowMessage(NativeWindowId t, int m, std::int64_t p) override {
    return fake_.SendWindowMessage(t, m, p);
  }
  bool WindowExists(NativeWindowId t) override { return fake_.WindowExists(t); }
  void RunMainLoop() override {}
  void QuitMainLoop() override {}
  void RunOnUiThread(std::function<void()> task) override { fake_.RunOnUiThread(std::move(task)); }
  void ClearWebData(std::function<void(bool)> done) override {
    fake_.ClearWebData(std::move(done));
  }
  std::filesystem::path WebDataFolder() override { return fake_.WebDataFolder(); }
  std::filesystem::path WebCacheFolder() override { return fake_.WebCacheFolder(); }

 private:
  kv::fake::FakeGui fake_;
};

TEST(AppModes, WindowModesEndWithAMessageWhenThereIsNoDisplay) {
  struct Case {
    const char* name;
    const char* commandLine;
  } const cases[] = {
      {"ordinary, empty", ""},
      {"ordinary, shortcut argument", "1"},
      {"ordinary, -d alone", "-d"},
      {"ordinary, handle 0", "-frameWnd=0 -gameurl=http://h/"},
      {"game window", "-frameWnd=4242 -gameurl=http://h/"},
      {"uninstall confirmation", "/opt/korvane -u"},
  };
  for (const Case& c : cases) {
    NoDisplay gui;
    testing::internal::CaptureStderr();
    const int code = kv::app::CLorvik_Q7App(gui).InitInstance(c.commandLine);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(code, 0) << c.name;
    EXPECT_EQ(gui.calls, 1) << c.name;
    EXPECT_NE(errors.find("cannot open the display"), std::string::npos)
        << c.name << ": " << errors;
  }
}

}  // namespace
