// Pixel tests of the skinned button, message box and veil, painted by the real
// cairo painter on off-screen canvases (windows from the recording double).

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/linux/gtk/CairoPainter.h"
#include "res/Resources.h"
#include "res/StringIds.h"
#include "tests/gui/PixelGui.h"
#include "tests/support/SkinFixtures.h"
#include "ui/CustomMessageBox.h"
#include "ui/MenbanDlg.h"
#include "ui/TouchButton.h"

namespace {

using kv::fake::FakeWindow;
using kv::platform::CairoImage;
using kv::platform::Color;
using kv::platform::RectF;
using kv::test::Hex;
using kv::test::Near;
using kv::test::Over;
using kv::test::PixelGui;
using kv::test::Render;

constexpr std::uint32_t kParentColor = 0xFF204060;

struct Parent : kv::platform::WindowEvents {
  std::uint32_t color = kParentColor;
  void OnPaint(kv::platform::Painter& painter) override {
    painter.FillRect({0, 0, 300, 100}, Color::FromArgb(color));
  }
};

struct NoCommands : kv::ui::CommandTarget {
  void OnCommand(int) override {}
};

std::uint32_t Brightened(std::uint32_t straight) {
  std::uint32_t result = straight & 0xFF000000u;
  for (int shift : {16, 8, 0}) {
    double c = ((straight >> shift) & 0xFF) / 255.0;
    result |= static_cast<std::uint32_t>(std::lround(std::min(1.0, 1.05 * c + 0.05) * 255))
              << shift;
  }
  return result;
}

TEST(SkinPixels, ButtonStatesOverTheCapturedBackground) {
  // A 6 x 4 image in a 8 x 5 button: opaque, half, clear, near white, quarter, black columns.
  const std::uint32_t columns[6] = {0xFFC86432, 0x800AF078, 0x00FFFFFF,
                                    0xFFFAFAFA, 0x40FF8000, 0xFF000000};
  std::vector<std::uint32_t> normal;
  std::vector<std::uint32_t> pressed;
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) {
      normal.push_back(columns[x]);
      pressed.push_back(x % 2 == 0 ? 0xFF010203 : 0x80F0F0F0);
    }
  }
  kv::test::ScopedPngResources images({{601, kv::test::EncodePng(6, 4, normal)},
                                       {602, kv::test::EncodePng(6, 4, normal)},
                                       {603, kv::test::EncodePng(6, 4, pressed)}});
  PixelGui gui;
  Parent parent;
  kv::platform::WindowOptions options;
  options.rect = {0, 0, 300, 100};
  auto parentWindow = gui.MakeWindow(options, parent);
  NoCommands commands;
  kv::ui::CTouchButton button(gui);
  ASSERT_TRUE(button.Create(*parentWindow, 1, {10, 5, 8, 5}, commands));
  button.SetStateImages(601, 602, 603);
  auto& window = static_cast<FakeWindow&>(*button.GetWindow());

  struct Case {
    const char* name;
    kv::ui::CTouchButton::Look look;
    const std::vector<std::uint32_t>& image;
    bool brighten;
  };
  const Case cases[] = {{"normal", kv::ui::CTouchButton::Look::kNormal, normal, false},
                        {"hover", kv::ui::CTouchButton::Look::kHover, normal, true},
                        {"pressed", kv::ui::CTouchButton::Look::kPressed, pressed, false}};
  for (const Case& c : cases) {
    if (c.look == kv::ui::CTouchButton::Look::kHover) {
      window.MouseMove({1, 1});
    } else if (c.look == kv::ui::CTouchButton::Look::kPressed) {
      window.MouseDown({1, 1});
    }
    auto picture = Render(window, {8, 5});
    ASSERT_EQ(button.CurrentLook(), c.look) << c.name;
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 8; ++x) {
        std::uint32_t expected = kParentColor;  // uncovered by the image: the background
        if (x < 6 && y < 4) {
          std::uint32_t pixel = c.image[static_cast<size_t>(y * 6 + x)];
          expected = Over(c.brighten ? Brightened(pixel) : pixel, kParentColor);
        }
        EXPECT_TRUE(Near(picture->PixelAt(x, y), expected, 2))
            << c.name << " at " << x << "," << y << ": " << Hex(picture->PixelAt(x, y))
            << " expected " << Hex(expected);
      }
    }
  }
  // The background was captured at the first drawing and stays.
  parent.color = 0xFFFF0000;
  window.MouseUp({1, 1});
  window.MouseLeave();
  auto later = Render(window, {8, 5});
  EXPECT_EQ(Hex(later->PixelAt(7, 4)), Hex(kParentColor));
}

TEST(SkinPixels, MessageBoxTextsStayInTheirRectangles) {
  kv::test::ScopedPngResources images({});  // no background: a plain face
  PixelGui gui;
  const std::uint32_t face = 0xFF2B2B2B;
  struct Case {
    const char* name;
    std::string title;
    std::string text;
  };
  const Case cases[] = {
      {"exit prompt", "关闭提示", "是否退出《Korvane》登入器？"},
      {"long texts", "一个非常非常非常长的标题文字超过宽度",
       "您是否退出当前服务器，重新选择新服务器？这一句话很长很长，一定放不下两行，所以要以省略号结"
       "束。"},
  };
  for (const Case& c : cases) {
    kv::ui::CCustomMessageBox box(gui, nullptr);
    box.SetTexts(c.title, c.text);
    gui.fake.modalScripts.push_back([&](FakeWindow& w) {
      auto picture = Render(w, {256, 110});
      for (int y = 0; y < 110; ++y) {
        for (int x = 0; x < 256; ++x) {
          auto in = [&](RectF r) {
            return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
          };
          if (!in(kv::ui::CCustomMessageBox::kTitleRect) &&
              !in(kv::ui::CCustomMessageBox::kTextRect)) {
            ASSERT_EQ(Hex(picture->PixelAt(x, y)), Hex(face))
                << c.name << " ink at " << x << "," << y;
          }
        }
      }
      // The title is white ink, the message pinkish white.
      bool whiteTitle = false;
      bool pinkText = false;
      for (int y = 8; y < 33; ++y) {
        for (int x = 78; x < 178; ++x) {
          whiteTitle |= picture->PixelAt(x, y) == 0xFFFFFFFF;
        }
      }
      for (int y = 35; y < 65; ++y) {
        for (int x = 28; x < 228; ++x) {
          pinkText |= picture->PixelAt(x, y) == 0xFFFFECF7;
        }
      }
      EXPECT_TRUE(whiteTitle) << c.name;
      EXPECT_TRUE(pinkText) << c.name;
      w.KeyDown(0x1B);
    });
    EXPECT_EQ(box.DoModal(), 2);
  }
  // The long message is cut with an ellipsis.
  std::string shown = kv::platform::FittedText(
      cases[1].text, {"arial", 11, false}, kv::ui::CCustomMessageBox::kTextRect,
      {kv::platform::TextAlign::kCenter, kv::platform::Trimming::kEllipsisCharacter, true});
  EXPECT_EQ(shown.substr(shown.size() - 3), "\xE2\x80\xA6");
}

TEST(SkinPixels, VeilColourFrameAndText) {
  const std::uint32_t frameColors[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00};
  kv::test::ScopedPngResources images({{275, kv::test::SolidPng(1, 1, 0xE6000000)},
                                       {276, kv::test::SolidPng(23, 23, frameColors[0])},
                                       {277, kv::test::SolidPng(23, 23, frameColors[1])},
                                       {278, kv::test::SolidPng(23, 23, frameColors[2])},
                                       {279, kv::test::SolidPng(23, 23, frameColors[3])}});
  PixelGui gui;
  kv::platform::WindowEvents mainEvents;
  kv::platform::WindowOptions options;
  options.rect = {0, 0, 400, 300};
  auto main = gui.MakeWindow(options, mainEvents);
  kv::ui::CMenbanDlg veil(gui);
  ASSERT_TRUE(veil.Create(*main));
  veil.ShowOver({0, 0, 400, 300});
  auto& window = static_cast<FakeWindow&>(*veil.GetWindow());
  const std::uint32_t grey = 0xFF191919;  // black at alpha 230 over white: 25, 25, 25
  const kv::platform::Rect frame{(400 - 23) / 2, (300 - 23) / 2 - 40, 23, 23};
  const RectF text{(400 - 200) / 2, (300 - 31) / 2, 200, 31};
  for (int tick = 0; tick < 5; ++tick) {
    window.FireTimer(kv::ui::CMenbanDlg::kTimerAnimate);
    auto picture = Render(window, {400, 300});
    int frameIndex = tick % 4;
    bool inkInText = false;
    for (int y = 0; y < 300; ++y) {
      for (int x = 0; x < 400; ++x) {
        std::uint32_t pixel = picture->PixelAt(x, y);
        if (frame.Contains({x, y})) {
          ASSERT_EQ(Hex(pixel), Hex(frameColors[frameIndex])) << "tick " << tick;
        } else if (x >= text.x && x < text.x + text.width && y >= text.y &&
                   y < text.y + text.height) {
          inkInText |= pixel != grey;
        } else {
          ASSERT_TRUE(Near(pixel, grey))
              << "tick " << tick << " at " << x << "," << y << ": " << Hex(pixel);
        }
      }
    }
    EXPECT_TRUE(inkInText) << "string 116 is drawn, tick " << tick;
  }
  EXPECT_EQ(kv::res::LoadString(kv::res::IDS_CACHE_CLEARING), "缓存清理中，请稍后……");
}

}  // namespace
