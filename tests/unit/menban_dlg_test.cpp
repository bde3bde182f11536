#include <gtest/gtest.h>

#include <vector>

#include "res/Resources.h"
#include "res/StringIds.h"
#include "tests/fake/FakeGui.h"
#include "tests/support/SkinFixtures.h"
#include "ui/MenbanDlg.h"

namespace {

using kv::fake::FakeGui;
using kv::fake::FakeWindow;
using kv::fake::PaintOp;
using kv::platform::Rect;
using kv::ui::CMenbanDlg;

class MenbanDlgTest : public ::testing::Test {
 protected:
  MenbanDlgTest()
      : images_({{275, kv::test::PngHeader(1, 1)},
                 {276, kv::test::PngHeader(23, 23)},
                 {277, kv::test::PngHeader(23, 23)},
                 {278, kv::test::PngHeader(23, 23)},
                 {279, kv::test::PngHeader(23, 23)}}) {
    kv::platform::WindowOptions options;
    options.rect = {0, 0, 1600, 960};
    main_ = gui_.MakeWindow(options, mainEvents_);
  }

  FakeWindow& VeilWindow(CMenbanDlg& veil) { return static_cast<FakeWindow&>(*veil.GetWindow()); }

  kv::test::ScopedPngResources images_;
  FakeGui gui_;
  kv::platform::WindowEvents mainEvents_;
  std::unique_ptr<kv::platform::Window> main_;
};

TEST_F(MenbanDlgTest, CreatedHiddenTranslucentAndOwnedByTheMainWindow) {
  CMenbanDlg veil(gui_);
  ASSERT_TRUE(veil.Create(*main_));
  FakeWindow& w = VeilWindow(veil);
  EXPECT_FALSE(w.IsVisible());
  EXPECT_EQ(w.Opacity(), 229);
  EXPECT_EQ(w.Options().kind, kv::platform::WindowKind::kPopup);
  EXPECT_EQ(w.Options().owner, main_.get());
  EXPECT_EQ(veil.CurrentFrameNumber(), 1);
  EXPECT_EQ(veil.Step(), 1);
}

TEST_F(MenbanDlgTest, AnimationCyclesAndResumesWhereItStopped) {
  CMenbanDlg veil(gui_);
  ASSERT_TRUE(veil.Create(*main_));
  FakeWindow& w = VeilWindow(veil);
  const Rect over{10, 20, 1000, 700};
  veil.ShowOver(over);
  EXPECT_TRUE(w.IsVisible());
  EXPECT_EQ(w.Geometry(), over);
  ASSERT_TRUE(w.TimerRunning(5000));
  EXPECT_EQ(w.Timers().at(5000).ms, 200);
  EXPECT_TRUE(w.Timers().at(5000).repeat);

  std::vector<int> frames;
  for (int tick = 0; tick < 6; ++tick) {
    w.ClearInvalidations();
    ASSERT_TRUE(w.FireTimer(5000));
    frames.push_back(veil.CurrentFrameNumber());
    // Only the frame's rectangle is repainted.
    ASSERT_EQ(w.Invalidations().size(), 1u);
    EXPECT_EQ(w.Invalidations()[0], (Rect{(1000 - 23) / 2, (700 - 23) / 2 - 40, 23, 23}));
  }
  EXPECT_EQ(frames, (std::vector<int>{1, 2, 3, 4, 1, 2}));

  // Other timers are ignored.
  w.ClearInvalidations();
  veil.OnTimer(102);
  veil.OnTimer(1);
  EXPECT_EQ(veil.CurrentFrameNumber(), 2);
  EXPECT_TRUE(w.Invalidations().empty());

  veil.HideVeil();
  EXPECT_FALSE(w.IsVisible());
  EXPECT_FALSE(w.TimerRunning(5000));
  veil.ShowOver(over);
  w.FireTimer(5000);
  EXPECT_EQ(veil.CurrentFrameNumber(), 3) << "the cycle continues after showing again";
}

TEST_F(MenbanDlgTest, PaintsWhiteVeilFrameAndText) {
  struct Case {
    const char* name;
    kv::platform::Size client;
  };
  for (const Case& c :
       {Case{"main window size", {1000, 700}}, Case{"narrower than the text", {150, 120}}}) {
    CMenbanDlg veil(gui_);
    ASSERT_TRUE(veil.Create(*main_));
    veil.ShowOver({0, 0, c.client.width, c.client.height});
    auto painted = VeilWindow(veil).Paint();
    const int W = c.client.width;
    const int H = c.client.height;
    ASSERT_GE(painted.ops.size(), 4u) << c.name;
    EXPECT_EQ(painted.ops[0].kind, PaintOp::Kind::kFill) << c.name;
    EXPECT_EQ(painted.ops[0].area, (Rect{0, 0, W, H})) << c.name;
    EXPECT_EQ(painted.ops[0].color.argb, 0xFFFFFFFFu) << c.name;
    EXPECT_EQ(painted.ops[1].kind, PaintOp::Kind::kTexture) << c.name;
    EXPECT_EQ(painted.ops[1].area, (Rect{0, 0, W, H})) << c.name;
    EXPECT_EQ(painted.ops[1].at, (kv::platform::Point{0, 0})) << c.name;
    ASSERT_NE(painted.ops[1].image, nullptr) << c.name;
    EXPECT_EQ(painted.ops[2].kind, PaintOp::Kind::kImage) << c.name;
    EXPECT_EQ(painted.ops[2].at, (kv::platform::Point{(W - 23) / 2, (H - 23) / 2 - 40})) << c.name;
    const PaintOp& text = painted.ops[3];
    EXPECT_EQ(text.kind, PaintOp::Kind::kText) << c.name;
    EXPECT_EQ(text.text, kv::res::LoadString(kv::res::IDS_CACHE_CLEARING)) << c.name;
    EXPECT_EQ(text.layout.x, static_cast<float>((W - 200) / 2)) << c.name;
    EXPECT_EQ(text.layout.y, static_cast<float>((H - 31) / 2)) << c.name;
    EXPECT_EQ(text.layout.width, 200.f) << c.name;
    EXPECT_EQ(text.layout.height, 31.f) << c.name;
    EXPECT_EQ(text.font.pixelSize, 14.f) << c.name;
    EXPECT_FALSE(text.font.bold) << c.name;
    EXPECT_EQ(text.color.argb, 0xFFFFF5D3u) << c.name;
    EXPECT_EQ(text.format.trimming, kv::platform::Trimming::kEllipsisWord) << c.name;
    EXPECT_EQ(text.format.align, kv::platform::TextAlign::kCenter) << c.name;
  }
}

TEST_F(MenbanDlgTest, WithoutImagesStillShowsTheText) {
  kv::test::ScopedPngResources none({});
  CMenbanDlg veil(gui_);
  ASSERT_TRUE(veil.Create(*main_));
  veil.ShowOver({0, 0, 400, 300});
  VeilWindow(veil).FireTimer(5000);
  EXPECT_EQ(veil.CurrentFrameNumber(), 0);
  auto painted = VeilWindow(veil).Paint();
  EXPECT_EQ(painted.OpsOf(PaintOp::Kind::kText).size(), 1u);
  EXPECT_EQ(painted.OpsOf(PaintOp::Kind::kFill).size(), 1u);
}

}  // namespace
