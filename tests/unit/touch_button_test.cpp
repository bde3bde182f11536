#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fake/FakeGui.h"
#include "tests/support/SkinFixtures.h"
#include "ui/TouchButton.h"

namespace {

using kv::fake::FakeGui;
using kv::fake::FakeImage;
using kv::fake::FakePainter;
using kv::fake::FakeWindow;
using kv::fake::PaintOp;
using kv::platform::Color;
using kv::platform::ImageEffect;
using kv::platform::MouseButton;
using kv::platform::Point;
using kv::platform::Rect;
using kv::ui::CTouchButton;
using Look = CTouchButton::Look;

constexpr int kNormal = 501;
constexpr int kHover = 502;
constexpr int kPressed = 503;

// A parent that paints one colour over its whole client area, and counts its paints.
struct Parent : kv::platform::WindowEvents {
  Color fill = Color::FromArgb(0xFF336699);
  int paints = 0;
  void OnPaint(kv::platform::Painter& painter) override {
    ++paints;
    painter.FillRect({0, 0, 400, 100}, fill);
  }
};

struct Commands : kv::ui::CommandTarget {
  std::vector<int> ids;
  void OnCommand(int id) override { ids.push_back(id); }
};

class TouchButtonTest : public ::testing::Test {
 protected:
  TouchButtonTest()
      : images_({{kNormal, kv::test::PngHeader(28, 26)},
                 {kHover, kv::test::PngHeader(28, 26)},
                 {kPressed, kv::test::PngHeader(28, 26)}}) {
    kv::platform::WindowOptions options;
    options.rect = {100, 100, 400, 100};
    parentWindow_ = gui_.MakeWindow(options, parent_);
  }

  FakeWindow& ButtonWindow(CTouchButton& button) {
    return static_cast<FakeWindow&>(*button.GetWindow());
  }

  std::unique_ptr<CTouchButton> MakeButton(const std::string& hint = {}) {
    auto button = std::make_unique<CTouchButton>(gui_);
    EXPECT_TRUE(button->Create(*parentWindow_, 1004, kPlace, commands_));
    button->SetStateImages(kNormal, kHover, kPressed);
    if (!hint.empty()) {
      button->SetHintText(hint, true);
    }
    ButtonWindow(*button).Paint();  // the first drawing composes the states
    return button;
  }

  static constexpr Rect kPlace{40, 3, 28, 26};
  kv::test::ScopedPngResources images_;
  FakeGui gui_;
  Parent parent_;
  Commands commands_;
  std::unique_ptr<kv::platform::Window> parentWindow_;
};

TEST_F(TouchButtonTest, StateMachineFollowsTheMouse) {
  struct Step {
    const char* action;
    Point at;
    Look look;
    int clicks;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
  };
  const Point in{5, 5};
  const Point out{50, 5};
  const std::vector<Case> cases = {
      {"hover and leave", {{"move", in, Look::kHover, 0}, {"leave", {}, Look::kNormal, 0}}},
      {"press while hovering shows pressed, release shows hover and clicks",
       {{"move", in, Look::kHover, 0},
        {"down", in, Look::kPressed, 0},
        {"up", in, Look::kHover, 1}}},
      {"press, drag out and back",
       {{"down", in, Look::kPressed, 0},
        {"move", out, Look::kNormal, 0},
        {"move", in, Look::kPressed, 0},
        {"up", in, Look::kHover, 1}}},
      {"release outside gives no click",
       {{"down", in, Look::kPressed, 0},
        {"move", out, Look::kNormal, 0},
        {"up", out, Look::kNormal, 0}}},
      {"leave while held, come back and release",
       {{"down", in, Look::kPressed, 0},
        {"leave", {}, Look::kNormal, 0},
        {"move", in, Look::kPressed, 0},
        {"up", in, Look::kHover, 1}}},
      {"right button does nothing", {{"rdown", in, Look::kHover, 0}, {"rup", in, Look::kHover, 0}}},
  };
  for (const Case& c : cases) {
    auto button = MakeButton();
    FakeWindow& window = ButtonWindow(*button);
    commands_.ids.clear();
    int step = 0;
    for (const Step& s : c.steps) {
      std::string action = s.action;
      if (action == "move") {
        window.MouseMove(s.at);
      } else if (action == "leave") {
        window.MouseLeave();
      } else if (action == "down") {
        window.MouseDown(s.at);
      } else if (action == "up") {
        window.MouseUp(s.at);
      } else if (action == "rdown") {
        window.MouseMove(s.at);
        window.MouseDown(s.at, MouseButton::kRight);
      } else if (action == "rup") {
        window.MouseUp(s.at, MouseButton::kRight);
      }
      EXPECT_EQ(button->CurrentLook(), s.look) << c.name << ", step " << step;
      EXPECT_EQ(static_cast<int>(commands_.ids.size()), s.clicks) << c.name << ", step " << step;
      ++step;
    }
  }
}

TEST_F(TouchButtonTest, TwoQuickClicksAreTwoClicks) {
  auto button = MakeButton();
  ButtonWindow(*button).DoubleClick({5, 5});
  EXPECT_EQ(commands_.ids, (std::vector<int>{1004, 1004}));
}

TEST_F(TouchButtonTest, EachStateIsComposedOnceOverTheParentsPicture) {
  auto button = MakeButton();
  ASSERT_TRUE(button->StatesReady());
  FakeWindow& window = ButtonWindow(*button);
  EXPECT_EQ(parent_.paints, 1);

  // The state shown is one prepared picture: background, then the state's image.
  struct Case {
    const char* name;
    Look look;
    ImageEffect effect;
  };
  for (const Case& c : {Case{"normal", Look::kNormal, ImageEffect::kNone},
                        Case{"hover", Look::kHover, ImageEffect::kBrighten},
                        Case{"pressed", Look::kPressed, ImageEffect::kNone}}) {
    if (c.look == Look::kHover) {
      window.MouseMove({5, 5});
    } else if (c.look == Look::kPressed) {
      window.MouseDown({5, 5});
    }
    ASSERT_EQ(button->CurrentLook(), c.look) << c.name;
    FakePainter painted = window.Paint();
    ASSERT_EQ(painted.ops.size(), 1u) << c.name;
    const auto* picture = dynamic_cast<const FakeImage*>(painted.ops[0].image);
    ASSERT_NE(picture, nullptr) << c.name;
    EXPECT_EQ(picture->GetSize(), (kv::platform::Size{28, 26})) << c.name;
    ASSERT_EQ(picture->content.size(), 2u) << c.name;
    const auto* background = dynamic_cast<const FakeImage*>(picture->content[0].image);
    ASSERT_NE(background, nullptr) << c.name;
    // The captured background is the parent's fill, drawn at the button's offset.
    ASSERT_EQ(background->content.size(), 1u) << c.name;
    EXPECT_EQ(background->content[0].kind, PaintOp::Kind::kFill) << c.name;
    EXPECT_EQ(background->content[0].area, (Rect{-40, -3, 400, 100})) << c.name;
    EXPECT_EQ(background->content[0].color, parent_.fill) << c.name;
    EXPECT_EQ(picture->content[1].effect, c.effect) << c.name;
    EXPECT_EQ(picture->content[1].at, (Point{0, 0})) << c.name;
    EXPECT_NE(picture->content[1].image, nullptr) << c.name;
  }
  // The parent was asked for its picture once, at the first drawing only.
  parent_.fill = Color::FromArgb(0xFFFF0000);
  window.Paint();
  EXPECT_EQ(parent_.paints, 1);
}

TEST_F(TouchButtonTest, MissingImagesShowOnlyTheBackground) {
  // Images never set: nothing of its own, the parent's picture shows through.
  CTouchButton bare(gui_);
  ASSERT_TRUE(bare.Create(*parentWindow_, 7, kPlace, commands_));
  FakePainter painted = ButtonWindow(bare).Paint();
  EXPECT_FALSE(bare.StatesReady());
  ASSERT_EQ(painted.ops.size(), 1u);
  EXPECT_EQ(painted.ops[0].kind, PaintOp::Kind::kFill);
  EXPECT_EQ(painted.ops[0].area, (Rect{-40, -3, 400, 100}));

  // An image that failed to load: its state is the captured background alone.
  CTouchButton partly(gui_);
  ASSERT_TRUE(partly.Create(*parentWindow_, 8, kPlace, commands_));
  EXPECT_TRUE(partly.SetStateImages(kNormal, kHover, 9999));
  FakeWindow& window = ButtonWindow(partly);
  window.Paint();
  window.MouseDown({5, 5});
  FakePainter pressed = window.Paint();
  const auto* picture = dynamic_cast<const FakeImage*>(pressed.ops.at(0).image);
  ASSERT_NE(picture, nullptr);
  ASSERT_EQ(picture->content.size(), 2u);
  EXPECT_EQ(picture->content[1].image, nullptr);  // drawing no image draws nothing

  // The hover image decides SetStateImages' answer.
  CTouchButton noHover(gui_);
  ASSERT_TRUE(noHover.Create(*parentWindow_, 9, kPlace, commands_));
  EXPECT_FALSE(noHover.SetStateImages(kNormal, 9999, kPressed));
}

TEST_F(TouchButtonTest, NoCanvasMeansNoPicturesAndNoTooltip) {
  // The background needs one canvas, each of the three states one more; a
  // failure at any of them leaves the button unprepared, showing what lies
  // behind it, until a later paint succeeds.
  for (int canvases = 0; canvases < 4; ++canvases) {
    CTouchButton button(gui_);
    ASSERT_TRUE(button.Create(*parentWindow_, 7, kPlace, commands_));
    button.SetStateImages(kNormal, kHover, kPressed);
    FakeWindow& window = ButtonWindow(button);
    gui_.canvasesLeft = canvases;
    FakePainter painted = window.Paint();
    EXPECT_FALSE(button.StatesReady()) << canvases << " canvases";
    EXPECT_EQ(button.CurrentLook(), Look::kNone) << canvases << " canvases";
    ASSERT_EQ(painted.ops.size(), 1u) << canvases << " canvases";
    EXPECT_EQ(painted.ops[0].kind, PaintOp::Kind::kFill) << canvases << " canvases";
    gui_.canvasesLeft = -1;
    window.Paint();
    EXPECT_TRUE(button.StatesReady()) << canvases << " canvases, then enough";
  }
  // No canvas to measure the hint with: no tooltip.
  auto hinted = MakeButton("刷新");
  FakeWindow& window = ButtonWindow(*hinted);
  window.MouseMove({5, 5});
  gui_.canvasesLeft = 0;
  ASSERT_TRUE(window.FireTimer(CTouchButton::kTimerShowHint));
  EXPECT_EQ(hinted->HintWindow(), nullptr);
  gui_.canvasesLeft = -1;
}

TEST_F(TouchButtonTest, TooltipOnlyWithHintAfterTheDelayAndFreshEachVisit) {
  auto plain = MakeButton();
  FakeWindow& plainWindow = ButtonWindow(*plain);
  plainWindow.MouseMove({5, 5});
  EXPECT_FALSE(plainWindow.TimerRunning(CTouchButton::kTimerShowHint));
  plain->SetHintText("", true);  // empty text does nothing
  plainWindow.MouseLeave();
  plainWindow.MouseMove({5, 5});
  EXPECT_FALSE(plainWindow.TimerRunning(CTouchButton::kTimerShowHint));
  EXPECT_EQ(plain->HintWindow(), nullptr);

  auto hinted = MakeButton("刷新");
  FakeWindow& window = ButtonWindow(*hinted);
  for (int visit = 0; visit < 2; ++visit) {
    window.MouseMove({5, 5});
    ASSERT_TRUE(window.TimerRunning(CTouchButton::kTimerShowHint)) << "visit " << visit;
    EXPECT_EQ(window.Timers().at(CTouchButton::kTimerShowHint).ms, 2000);
    EXPECT_FALSE(window.Timers().at(CTouchButton::kTimerShowHint).repeat);
    EXPECT_EQ(hinted->HintWindow(), nullptr) << "not before the delay";
    size_t windowsBefore = gui_.Windows().size();
    ASSERT_TRUE(window.FireTimer(CTouchButton::kTimerShowHint));
    ASSERT_NE(hinted->HintWindow(), nullptr) << "visit " << visit;
    EXPECT_EQ(gui_.Windows().size(), windowsBefore + 1) << "a new tooltip window";
    auto* tip = gui_.LastWindow();
    EXPECT_EQ(tip->Options().kind, kv::platform::WindowKind::kTooltip);
    EXPECT_TRUE(tip->IsVisible());
    auto texts = tip->Paint().OpsOf(PaintOp::Kind::kText);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "刷新");
    window.MouseLeave();
    EXPECT_EQ(hinted->HintWindow(), nullptr) << "leaving hides it";
    EXPECT_EQ(gui_.Windows().size(), windowsBefore);
  }
  // A press hides it; leaving before the delay shows none.
  window.MouseMove({5, 5});
  window.FireTimer(CTouchButton::kTimerShowHint);
  window.MouseDown({5, 5});
  EXPECT_EQ(hinted->HintWindow(), nullptr);
  window.MouseUp({5, 5});
  window.MouseLeave();
  window.MouseMove({5, 5});
  window.MouseLeave();
  EXPECT_FALSE(window.TimerRunning(CTouchButton::kTimerShowHint));
}

TEST_F(TouchButtonTest, TooltipStaysInsideTheWorkArea) {
  // The fake measures every character as a 12-pixel square: 15 characters give
  // a 189 x 20 tooltip (text, padding and border).
  const std::string hint = "全屏/取消全屏（快捷键F11）";
  const kv::platform::Size tip{189, 20};
  struct Case {
    const char* name;
    Rect workArea;
    Rect parent;  // screen coordinates
    Rect button;  // in the parent
    Point pointer;
    Rect expected;
  };
  const Case cases[] = {
      {"room below and to the right: 20 pixels below the pointer",
       {0, 0, 1600, 960},
       {100, 100, 400, 100},
       {40, 3, 28, 26},
       {5, 5},
       {145, 128, tip.width, tip.height}},
      {"at the right edge of a maximised window: moved left",
       {0, 0, 1600, 960},
       {0, 0, 1600, 30},
       {1600 - 192, 3, 85, 24},
       {60, 12},
       {1600 - tip.width, 35, tip.width, tip.height}},
      {"at the bottom of the work area: above the pointer",
       {0, 0, 1600, 960},
       {100, 930, 400, 30},
       {40, 3, 28, 26},
       {5, 13},
       {145, 946 - 2 - tip.height, tip.width, tip.height}},
      {"bottom right corner: left and above",
       {0, 0, 1600, 960},
       {1200, 930, 400, 30},
       {372, 3, 28, 26},
       {20, 13},
       {1600 - tip.width, 946 - 2 - tip.height, tip.width, tip.height}},
      {"a panel on the right: the work area's edge, not the screen's",
       {0, 0, 1500, 1000},
       {1100, 0, 400, 30},
       {372, 3, 28, 26},
       {10, 10},
       {1500 - tip.width, 33, tip.width, tip.height}},
  };
  for (const Case& c : cases) {
    gui_.workArea = c.workArea;
    Parent parent;
    kv::platform::WindowOptions options;
    options.rect = c.parent;
    auto parentWindow = gui_.MakeWindow(options, parent);
    CTouchButton button(gui_);
    ASSERT_TRUE(button.Create(*parentWindow, 1004, c.button, commands_)) << c.name;
    button.SetStateImages(kNormal, kHover, kPressed);
    button.SetHintText(hint, true);
    FakeWindow& window = ButtonWindow(button);
    window.Paint();
    window.MouseMove(c.pointer);
    ASSERT_TRUE(window.FireTimer(CTouchButton::kTimerShowHint)) << c.name;
    ASSERT_NE(button.HintWindow(), nullptr) << c.name;
    const Rect shown = button.HintWindow()->Geometry();
    EXPECT_EQ(shown, c.expected) << c.name;
    EXPECT_GE(shown.x, c.workArea.x) << c.name;
    EXPECT_GE(shown.y, c.workArea.y) << c.name;
    EXPECT_LE(shown.Right(), c.workArea.Right()) << c.name;
    EXPECT_LE(shown.Bottom(), c.workArea.Bottom()) << c.name;
    EXPECT_FALSE(shown.Contains(window.ClientToScreen(c.pointer)))
        << c.name << ": the tooltip must not come under the pointer";
  }
}

}  // namespace
