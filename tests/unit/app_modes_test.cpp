#include <gtest/gtest.h>

#include <string>

#include "app/App.h"
#include "platform/Gui.h"

namespace {

// A window system that is never there.
class NoDisplay final : public kv::platform::Gui {
 public:
  bool Initialize() override {
    ++calls;
    return false;
  }
  int calls = 0;

  // Nothing below is reached without a display.
  std::unique_ptr<kv::platform::Window> MakeWindow(const kv::platform::WindowOptions&,
                                                   kv::platform::WindowEvents&) override {
    return nullptr;
  }
  std::unique_ptr<kv::platform::WebView> MakeWebView(kv::platform::Window&,
                                                     kv::platform::WebViewEvents&,
                                                     const kv::platform::WebViewOptions&) override {
    return nullptr;
  }
  std::unique_ptr<kv::platform::Image> DecodePng(std::span<const std::uint8_t>) override {
    return nullptr;
  }
  std::unique_ptr<kv::platform::Image> CreateImage(int, int,
                                                   std::span<const std::uint32_t>) override {
    return nullptr;
  }
  std::unique_ptr<kv::platform::Canvas> CreateCanvas(kv::platform::Size) override {
    return nullptr;
  }
  kv::platform::Size ScreenSize() override { return {}; }
  kv::platform::Rect WorkArea() override { return {}; }
  bool IsActiveApplication() override { return false; }
  bool SendWindowMessage(kv::platform::NativeWindowId, int, std::int64_t) override { return false; }
  bool WindowExists(kv::platform::NativeWindowId) override { return false; }
  std::optional<kv::platform::Size> WindowClientSize(kv::platform::NativeWindowId) override {
    return std::nullopt;
  }
  std::unique_ptr<kv::platform::WindowProbe> MakeWindowProbe() override { return nullptr; }
  void RunMainLoop() override {}
  void QuitMainLoop() override {}
  void RunOnUiThread(std::function<void()>) override {}
  void ClearWebData(std::function<void(bool)> done) override { done(false); }
  std::filesystem::path WebDataFolder() override { return {}; }
  std::filesystem::path WebCacheFolder() override { return {}; }
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
