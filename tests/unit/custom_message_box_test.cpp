#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/Keys.h"
#include "tests/fake/FakeGui.h"
#include "tests/support/SkinFixtures.h"
#include "ui/CustomMessageBox.h"

namespace {

using kv::fake::FakeGui;
using kv::fake::FakeWindow;
using kv::fake::PaintOp;
using kv::platform::Rect;
using kv::platform::Trimming;
using kv::ui::CCustomMessageBox;
using kv::ui::CTouchButton;

FakeWindow& WindowOf(const CTouchButton& button) {
  return static_cast<FakeWindow&>(*button.GetWindow());
}

class CustomMessageBoxTest : public ::testing::Test {
 protected:
  CustomMessageBoxTest()
      : images_({{304, kv::test::PngHeader(256, 110)},
                 {314, kv::test::PngHeader(82, 34)},
                 {313, kv::test::PngHeader(82, 34)},
                 {312, kv::test::PngHeader(82, 34)},
                 {311, kv::test::PngHeader(82, 34)},
                 {316, kv::test::PngHeader(9, 9)}}) {}

  kv::test::ScopedPngResources images_;
  FakeGui gui_;
};

TEST_F(CustomMessageBoxTest, EveryAnswerGivesItsResult) {
  struct Case {
    const char* name;
    std::function<void(CCustomMessageBox&, FakeWindow&)> answer;
    int result;
  };
  const Case cases[] = {
      {"OK button",
       [](CCustomMessageBox& box, FakeWindow&) {
         WindowOf(box.OkButton()).Click({40, 17});
       },
       1},
      {"Enter", [](CCustomMessageBox&, FakeWindow& w) { w.KeyDown(kv::platform::kKeyReturn); }, 1},
      {"Cancel button",
       [](CCustomMessageBox& box, FakeWindow&) {
         WindowOf(box.CancelButton()).Click({40, 17});
       },
       2},
      {"close cross",
       [](CCustomMessageBox& box, FakeWindow&) {
         WindowOf(box.CloseButton()).Click({4, 4});
       },
       2},
      {"Escape", [](CCustomMessageBox&, FakeWindow& w) { w.KeyDown(kv::platform::kKeyEscape); }, 2},
      {"close request (Alt+F4)", [](CCustomMessageBox&, FakeWindow& w) { w.RequestClose(); }, 2},
      {"second answer ignored",
       [](CCustomMessageBox&, FakeWindow& w) {
         w.KeyDown(kv::platform::kKeyEscape);
         w.KeyDown(kv::platform::kKeyReturn);
       },
       2},
  };
  for (const Case& c : cases) {
    CCustomMessageBox box(gui_);
    box.SetTexts("关闭提示", "是否退出《Korvane》登入器？");
    gui_.modalScripts.push_back([&](FakeWindow& w) {
      // Every button is painted once before the user acts, as on screen.
      for (const CTouchButton* b : {&box.OkButton(), &box.CancelButton(), &box.CloseButton()}) {
        WindowOf(*b).Paint();
      }
      c.answer(box, w);
    });
    EXPECT_EQ(box.DoModal(), c.result) << c.name;
    EXPECT_FALSE(box.GetWindow()->IsVisible()) << c.name;
  }
}

TEST_F(CustomMessageBoxTest, LayoutAndPlacement) {
  kv::platform::WindowOptions ownerOptions;
  ownerOptions.rect = {100, 50, 1000, 700};
  kv::platform::WindowEvents ownerEvents;
  auto owner = gui_.MakeWindow(ownerOptions, ownerEvents);
  owner->Show();
  ownerOptions.rect = {300, 200, 640, 480};
  auto hiddenOwner = gui_.MakeWindow(ownerOptions, ownerEvents);

  struct Case {
    const char* name;
    kv::platform::Window* owner;
    Rect workArea;
    Rect expected;
  };
  const Case cases[] = {
      {"at the owner's client origin", owner.get(), {0, 0, 1600, 960}, {100, 50, 256, 110}},
      {"a hidden owner too", hiddenOwner.get(), {0, 0, 1600, 960}, {300, 200, 256, 110}},
      {"at the work area's origin without owner", nullptr, {0, 0, 1600, 960}, {0, 0, 256, 110}},
      {"a work area beside a panel", nullptr, {60, 24, 1540, 976}, {60, 24, 256, 110}},
  };
  for (const Case& c : cases) {
    gui_.workArea = c.workArea;
    CCustomMessageBox box(gui_, c.owner);
    gui_.modalScripts.push_back([&](FakeWindow& w) {
      EXPECT_EQ(w.Geometry(), c.expected) << c.name;
      EXPECT_EQ(w.Options().kind, kv::platform::WindowKind::kPopup) << c.name;
      EXPECT_EQ(w.Options().owner, c.owner) << c.name;
      EXPECT_EQ(WindowOf(box.CloseButton()).Geometry(), (Rect{237, 10, 9, 9})) << c.name;
      EXPECT_EQ(WindowOf(box.OkButton()).Geometry(), (Rect{36, 66, 82, 34})) << c.name;
      EXPECT_EQ(WindowOf(box.CancelButton()).Geometry(), (Rect{138, 66, 82, 34})) << c.name;
      w.KeyDown(kv::platform::kKeyEscape);
    });
    box.DoModal();
  }
}

TEST_F(CustomMessageBoxTest, PaintsBackgroundTitleAndMessageInTheirRectangles) {
  CCustomMessageBox box(gui_);
  const std::string text = "您是否退出当前服务器，重新选择新服务器？";
  box.SetTexts("选服", text);
  gui_.modalScripts.push_back([&](FakeWindow& w) {
    auto painted = w.Paint();
    auto images = painted.OpsOf(PaintOp::Kind::kImage);
    ASSERT_EQ(images.size(), 1u);
    ASSERT_NE(images[0].image, nullptr);
    EXPECT_EQ(images[0].image->GetSize(), (kv::platform::Size{256, 110}));
    EXPECT_EQ(images[0].at, (kv::platform::Point{0, 0}));
    auto texts = painted.OpsOf(PaintOp::Kind::kText);
    ASSERT_EQ(texts.size(), 2u);
    struct Expected {
      std::string text;
      float x, y, width, height, pixels;
      bool bold;
      std::uint32_t color;
    };
    const Expected expected[] = {{"选服", 78, 8, 100, 25, 13, true, 0xFFFFFFFF},
                                 {text, 28, 35, 200, 30, 11, false, 0xFFFFECF7}};
    for (size_t i = 0; i < 2; ++i) {
      const auto& op = texts[i];
      const auto& e = expected[i];
      EXPECT_EQ(op.text, e.text) << i;
      EXPECT_EQ(op.layout.x, e.x) << i;
      EXPECT_EQ(op.layout.y, e.y) << i;
      EXPECT_EQ(op.layout.width, e.width) << i;
      EXPECT_EQ(op.layout.height, e.height) << i;
      EXPECT_EQ(op.font.family, "arial") << i;
      EXPECT_EQ(op.font.pixelSize, e.pixels) << i;
      EXPECT_EQ(op.font.bold, e.bold) << i;
      EXPECT_EQ(op.color.argb, e.color) << i;
      EXPECT_EQ(op.format.align, kv::platform::TextAlign::kCenter) << i;
      EXPECT_EQ(op.format.trimming, Trimming::kEllipsisCharacter) << i;
      EXPECT_TRUE(op.format.wrap) << i;
    }
    w.KeyDown(kv::platform::kKeyReturn);
  });
  EXPECT_EQ(box.DoModal(), 1);
}

TEST_F(CustomMessageBoxTest, DefaultTitleAndMissingBackground) {
  kv::test::ScopedPngResources none({});
  CCustomMessageBox box(gui_);
  gui_.modalScripts.push_back([&](FakeWindow& w) {
    auto painted = w.Paint();
    auto images = painted.OpsOf(PaintOp::Kind::kImage);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].image, nullptr);  // drawing nothing, the box still works
    auto texts = painted.OpsOf(PaintOp::Kind::kText);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "温馨提示");
    EXPECT_EQ(texts[1].text, "");
    WindowOf(box.OkButton()).Click({5, 5});
  });
  EXPECT_EQ(box.DoModal(), 1);
}

TEST_F(CustomMessageBoxTest, DraggedByItsFaceNotByItsButtons) {
  CCustomMessageBox box(gui_);
  gui_.modalScripts.push_back([&](FakeWindow& w) {
    WindowOf(box.OkButton()).MouseDown({5, 5});
    EXPECT_EQ(w.MoveDrags(), 0);
    w.MouseDown({120, 40});
    EXPECT_EQ(w.MoveDrags(), 1);
    w.MouseDown({120, 40}, kv::platform::MouseButton::kRight);
    EXPECT_EQ(w.MoveDrags(), 1);
    w.KeyDown(kv::platform::kKeyEscape);
  });
  EXPECT_EQ(box.DoModal(), 2);
}

}  // namespace
