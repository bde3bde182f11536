// The main window apart from its states: the start sequence, the title strip's
// painting, the buttons' places, images and tooltips, the keyboard filtering,
// the game window exchange, refresh and the cache-clearing veil.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/support/MainWindowHarness.h"
#include "tests/support/SkinFixtures.h"

namespace {

using kv::fake::FakePainter;
using kv::fake::FakeWindow;
using kv::fake::PaintOp;
using kv::platform::Rect;
using kv::test::MainWindowHarness;
namespace mw = kv::mainwnd;
namespace kp = kv::platform;

constexpr auto kGame = MainWindowHarness::kGameWindow;

TEST(MainWindowStart, LoginRunsFirstAndItsAddressIsShown) {
  for (const std::string address : {"http://127.0.0.1:9/play_gamecode=42", ""}) {
    SCOPED_TRACE("address \"" + address + "\"");
    MainWindowHarness h(address);
    ASSERT_TRUE(h.dialog->OnInitDialog());
    EXPECT_EQ(h.login.runs, 1);
    EXPECT_EQ(h.login.visibleWindowsDuringRun, 0);  // nothing shows while the login runs
    EXPECT_EQ(h.dialog->StartUrl(), address);
    EXPECT_EQ(h.View().Navigations(), std::vector<std::string>{address});
    EXPECT_EQ(h.Main().Title(), "《Korvane》登入器");
    EXPECT_EQ(h.Main().Options().kind, kp::WindowKind::kTopLevel);
    // Shown by DoModal only, after the start sequence.
    EXPECT_FALSE(h.Main().IsVisible());
    // The veil exists, hidden, over the main window.
    ASSERT_NE(h.dialog->Veil(), nullptr);
    auto* veil = static_cast<FakeWindow*>(h.dialog->Veil()->GetWindow());
    ASSERT_NE(veil, nullptr);
    EXPECT_FALSE(veil->IsVisible());
    EXPECT_EQ(veil->Options().owner, h.dialog->Window());
    EXPECT_EQ(h.dialog->GameWindow(), 0);
  }
}

// The strip: left piece at the left edge, the middle piece tiled between, the
// right piece flush right; nothing at all when a piece is missing or in
// fullscreen.
TEST(MainWindowTitleStrip, Painting) {
  struct Case {
    const char* name;
    int missing;  // PNG id left out, 0: none
    bool fullscreen;
    bool restored;
    bool painted;
  };
  const Case cases[] = {
      {"maximised", 0, false, false, true},
      {"restored", 0, false, true, true},
      {"left piece missing", 203, false, false, false},
      {"middle piece missing", 172, false, false, false},
      {"right piece missing", 206, false, false, false},
      {"fullscreen", 0, true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::map<int, std::vector<std::uint8_t>> images = {
        {203, kv::test::PngHeader(203, 30)},
        {172, kv::test::PngHeader(1, 30)},
        {206, kv::test::PngHeader(92, 30)},
    };
    images.erase(c.missing);
    kv::test::ScopedPngResources png(images);
    MainWindowHarness h;
    ASSERT_TRUE(h.Start());
    if (c.restored) {
      h.ClickButton(mw::IDC_BTN_RESTORE);
    }
    if (c.fullscreen) {
      h.ClickButton(mw::IDC_BTN_FULLSCREEN);
    }
    const int width = h.Main().ClientSize().width;
    FakePainter painter = h.Main().Paint();
    if (!c.painted) {
      EXPECT_TRUE(painter.ops.empty());
      continue;
    }
    const auto fills = painter.OpsOf(PaintOp::Kind::kTexture);
    ASSERT_EQ(fills.size(), 3u);
    EXPECT_EQ(fills[0].image->Width(), 203);
    EXPECT_EQ(fills[0].area, (Rect{0, 0, 203, 30}));
    EXPECT_EQ(fills[0].at, (kp::Point{0, 0}));
    EXPECT_EQ(fills[1].image->Width(), 1);
    EXPECT_EQ(fills[1].area, (Rect{203, 0, width - 203 - 92, 30}));
    EXPECT_EQ(fills[1].at, (kp::Point{203, 0}));
    EXPECT_EQ(fills[2].image->Width(), 92);
    EXPECT_EQ(fills[2].area, (Rect{width - 92, 0, 92, 30}));
    EXPECT_EQ(fills[2].at, (kp::Point{width - 92, 0}));
    // Nothing is drawn below the strip.
    for (const auto& op : painter.ops) {
      EXPECT_LE(op.area.Bottom(), 30);
    }
    EXPECT_TRUE(painter.OpsOf(PaintOp::Kind::kImage).empty());
    EXPECT_TRUE(painter.OpsOf(PaintOp::Kind::kFill).empty());
  }
}

// The buttons for a given client width: place, state images (normal, hover,
// pressed) and tooltip.
TEST(MainWindowTitleButtons, LayoutImagesAndTooltips) {
  struct Button {
    int id;
    int fromRight;
    int width;
    int height;
    int normal;
    int hover;
    int pressed;
    const char* hint;
  };
  const Button buttons[] = {
      {1001, 28, 28, 26, 207, 208, 227, ""},
      {1008, 57, 28, 26, 220, 213, 228, ""},
      {1002, 57, 28, 26, 221, 217, 229, ""},
      {1003, 86, 28, 26, 209, 210, 230, ""},
      {1004, 192, 85, 24, 224, 214, 234, "全屏/取消全屏（快捷键F11）"},
      {1005, 294, 97, 24, 223, 215, 233, "老板键（快捷键F10）"},
      {1030, 384, 85, 24, 252, 253, 261, "清除缓存"},
      {1021, 467, 78, 24, 226, 219, 236, "刷新"},
      {1007, 531, 59, 24, 211, 212, 231, "选择新的服务器"},
  };
  // Each state image is as wide as its resource id, so the picture tells which one it is.
  std::map<int, std::vector<std::uint8_t>> images;
  for (const Button& b : buttons) {
    for (int id : {b.normal, b.hover, b.pressed}) {
      images[id] = kv::test::PngHeader(id, 20);
    }
  }
  kv::test::ScopedPngResources png(images);

  for (int width : {1600, 1000, 1280}) {
    MainWindowHarness h;
    h.gui.workArea = {0, 0, width, 900};
    ASSERT_TRUE(h.Start());
    for (const Button& b : buttons) {
      SCOPED_TRACE("width " + std::to_string(width) + ", button " + std::to_string(b.id));
      FakeWindow& window = h.ButtonWindow(b.id);
      EXPECT_EQ(window.Options().kind, kp::WindowKind::kChild);
      EXPECT_EQ(window.Options().owner, h.dialog->Window());
      EXPECT_EQ(window.Geometry(), (Rect{width - b.fromRight, 3, b.width, b.height}));

      // Which state image each look is composed from.
      auto imageOf = [&](FakePainter painter) {
        const auto drawn = painter.OpsOf(PaintOp::Kind::kImage);
        EXPECT_EQ(drawn.size(), 1u);
        const auto* picture = dynamic_cast<const kv::fake::FakeImage*>(drawn.at(0).image);
        EXPECT_NE(picture, nullptr);
        const auto composed = picture->content;  // background, then the state image
        EXPECT_EQ(composed.size(), 2u);
        return std::pair{composed.at(1).image->Width(), composed.at(1).effect};
      };
      EXPECT_EQ(imageOf(window.Paint()), (std::pair{b.normal, kp::ImageEffect::kNone}));
      window.MouseMove({5, 5});
      EXPECT_EQ(imageOf(window.Paint()), (std::pair{b.hover, kp::ImageEffect::kBrighten}));
      window.MouseDown({5, 5});
      EXPECT_EQ(imageOf(window.Paint()), (std::pair{b.pressed, kp::ImageEffect::kNone}));
      window.MouseLeave();
      window.MouseUp({-50, -50});  // released away from the button: no click

      // The tooltip after hovering (only where there is one).
      window.MouseMove({6, 6});
      const bool hintPending = window.FireTimer(kv::ui::CTouchButton::kTimerShowHint);
      EXPECT_EQ(hintPending, std::string(b.hint) != "");
      if (hintPending) {
        const kp::Window* hint = h.Button(b.id).HintWindow();
        ASSERT_NE(hint, nullptr);
        FakeWindow* hintWindow = h.gui.FindWindow(hint->Handle());
        ASSERT_NE(hintWindow, nullptr);
        std::string shown;
        for (const auto& op : hintWindow->Paint().OpsOf(PaintOp::Kind::kText)) {
          shown += op.text;
        }
        EXPECT_EQ(shown, b.hint);
      }
      window.MouseLeave();
    }
    EXPECT_FALSE(h.dialog->Ended());
    EXPECT_FALSE(h.dialog->FullScreen());
  }
}

// Enter and Esc go on to the page in every state; F5 is taken and does
// nothing; nothing closes, no prompt opens, no state changes.
TEST(MainWindowKeyboard, EnterEscapeAndF5) {
  struct Case {
    const char* name;
    int key;
    int modifiers;
    bool consumed;
  };
  const Case keys[] = {
      {"Enter", kp::kKeyReturn, 0, false},
      {"Esc", kp::kKeyEscape, 0, false},
      {"F5", kp::kKeyF5, 0, true},
      {"Ctrl+F5", kp::kKeyF5, kp::kModCtrl, false},
      {"Shift+Enter", kp::kKeyReturn, kp::kModShift, false},
      {"letter A", 'A', 0, false},
  };
  for (bool fullscreen : {false, true}) {
    for (const Case& c : keys) {
      SCOPED_TRACE(std::string(c.name) + (fullscreen ? " in fullscreen" : " maximised"));
      MainWindowHarness h;
      ASSERT_TRUE(h.Start());
      h.AttachGameWindow();
      if (fullscreen) {
        h.ClickButton(mw::IDC_BTN_FULLSCREEN);
      }
      h.gui.sentMessages.clear();
      int prompts = 0;
      h.gui.modalScripts.push_back([&](FakeWindow&) { ++prompts; });
      const Rect before = h.Main().Geometry();

      EXPECT_EQ(h.Main().KeyDown(c.key, c.modifiers), c.consumed);

      EXPECT_EQ(prompts, 0);
      EXPECT_FALSE(h.dialog->Ended());
      EXPECT_EQ(h.dialog->FullScreen(), fullscreen);
      EXPECT_EQ(h.Main().Geometry(), before);
      EXPECT_TRUE(h.Main().IsVisible());
      EXPECT_EQ(h.View().Reloads(), 0);
      EXPECT_TRUE(h.gui.sentMessages.empty());
    }
  }
}

// 3025 stores the game window; a second one replaces it, and from then on
// only the new one is told where to go.
TEST(MainWindowGameWindow, AttachAndReplace) {
  MainWindowHarness h;
  ASSERT_TRUE(h.Start());
  constexpr kp::NativeWindowId kFirst = 0x7001;
  constexpr kp::NativeWindowId kSecond = 0x7002;
  h.AttachGameWindow(kFirst);
  EXPECT_EQ(h.dialog->GameWindow(), kFirst);
  h.AttachGameWindow(kSecond);
  EXPECT_EQ(h.dialog->GameWindow(), kSecond);
  h.gui.sentMessages.clear();
  h.ClickButton(mw::IDC_BTN_RESTORE);
  EXPECT_EQ(h.RelayoutsSince(0, kFirst), std::vector<int>{});
  EXPECT_EQ(h.RelayoutsSince(0, kSecond), std::vector<int>{0});
  // Other numbers are not taken for a game window.
  h.Main().Message(3024, 0x7003);
  h.Main().Message(3026, 0x7003);
  EXPECT_EQ(h.dialog->GameWindow(), kSecond);
}

// Refresh reloads the page and, when a game window is attached, posts it 3026.
TEST(MainWindowGameWindow, Refresh) {
  for (bool attached : {false, true}) {
    SCOPED_TRACE(attached ? "game window attached" : "no game window");
    MainWindowHarness h;
    ASSERT_TRUE(h.Start());
    if (attached) {
      h.AttachGameWindow();
    }
    h.gui.sentMessages.clear();
    h.ClickButton(mw::IDC_BTN_REFRESH);
    EXPECT_EQ(h.View().Reloads(), 1);
    std::vector<kv::fake::FakeGui::SentMessage> expected;
    if (attached) {
      expected.push_back({kGame, mw::WM_GAMEWND_REFRESH, 0});
    }
    EXPECT_EQ(h.gui.sentMessages, expected);
  }
}

}  // namespace
