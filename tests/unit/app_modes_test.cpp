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
