// Pixel tests of the cairo/pango painter, on off-screen canvases (no display).

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/linux/gtk/CairoPainter.h"
#include "tests/gui/PixelGui.h"

namespace {

using kv::platform::CairoCanvas;
using kv::platform::CairoImage;
using kv::platform::Color;
using kv::platform::FontStyle;
using kv::platform::ImageEffect;
using kv::platform::RectF;
using kv::platform::TextAlign;
using kv::platform::TextFormat;
using kv::platform::Trimming;
using kv::test::Hex;
using kv::test::Near;
using kv::test::Over;

std::unique_ptr<CairoImage> Snapshot(const CairoCanvas& canvas) {
  auto image = canvas.Snapshot();
  return std::unique_ptr<CairoImage>(static_cast<CairoImage*>(image.release()));
}

constexpr std::uint32_t kBackground = 0xFF102030;

TEST(PainterPixels, ImagesAreDrawnAtNaturalSizeAndBlendedByAlpha) {
  const std::vector<std::uint32_t> pixels = {0xFFC86432, 0x800AF078, 0x00FFFFFF,
                                             0x40FF0000, 0xFFFFFFFF, 0xC0000000};
  auto image = kv::platform::ImageFromPixels(3, 2, pixels);
  ASSERT_NE(image, nullptr);
  CairoCanvas canvas({12, 10});
  canvas.GetPainter().FillRect({0, 0, 12, 10}, Color::FromArgb(kBackground));
  canvas.GetPainter().DrawImage(image.get(), {5, 4}, ImageEffect::kNone);
  canvas.GetPainter().DrawImage(nullptr, {0, 0}, ImageEffect::kNone);  // draws nothing
  auto result = Snapshot(canvas);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 12; ++x) {
      bool inside = x >= 5 && x < 8 && y >= 4 && y < 6;
      std::uint32_t expected =
          inside ? Over(pixels[static_cast<size_t>((y - 4) * 3 + (x - 5))], kBackground)
                 : kBackground;
      EXPECT_TRUE(Near(result->PixelAt(x, y), expected))
          << x << "," << y << ": " << Hex(result->PixelAt(x, y)) << " vs " << Hex(expected);
    }
  }
}

TEST(PainterPixels, TexturesRepeatFromTheirOrigin) {
  auto tile =
      kv::platform::ImageFromPixels(2, 1, std::vector<std::uint32_t>{0xFFFF0000, 0xFF0000FF});
  struct Case {
    int originX;
    std::vector<std::uint32_t> row;  // pixels 0..7
  };
  const std::uint32_t r = 0xFFFF0000;
  const std::uint32_t b = 0xFF0000FF;
  const std::uint32_t k = kBackground;
  for (const Case& c : {Case{1, {k, r, b, r, b, r, b, k}}, Case{2, {k, b, r, b, r, b, r, k}},
                        Case{0, {k, b, r, b, r, b, r, k}}}) {
    CairoCanvas canvas({8, 3});
    canvas.GetPainter().FillRect({0, 0, 8, 3}, Color::FromArgb(kBackground));
    canvas.GetPainter().FillTexture(tile.get(), {1, 0, 6, 3}, {c.originX, 0});
    auto result = Snapshot(canvas);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(Hex(result->PixelAt(x, y)), Hex(c.row[static_cast<size_t>(x)]))
            << "origin " << c.originX << " at " << x << "," << y;
      }
    }
  }
}

TEST(PainterPixels, BrighteningMatrixOnEveryChannel) {
  // Each colour channel c becomes min(1, 1.05 c + 0.05); alpha is unchanged.
  std::vector<std::uint32_t> pixels;
  for (std::uint32_t c : {0u, 1u, 40u, 100u, 128u, 200u, 230u, 231u, 243u, 255u}) {
    pixels.push_back(0xFF000000u | (c << 16) | ((255 - c) << 8) | (c / 2));
  }
  auto image = kv::platform::ImageFromPixels(static_cast<int>(pixels.size()), 1, pixels);
  CairoCanvas canvas({static_cast<int>(pixels.size()), 1});
  canvas.GetPainter().DrawImage(image.get(), {0, 0}, ImageEffect::kBrighten);
  auto result = Snapshot(canvas);
  for (size_t i = 0; i < pixels.size(); ++i) {
    std::uint32_t expected = 0xFF000000u;
    for (int shift : {16, 8, 0}) {
      double c = ((pixels[i] >> shift) & 0xFF) / 255.0;
      double lit = std::min(1.0, 1.05 * c + 0.05);
      expected |= static_cast<std::uint32_t>(std::lround(lit * 255)) << shift;
    }
    EXPECT_EQ(Hex(result->PixelAt(static_cast<int>(i), 0)), Hex(expected)) << i;
  }
}

// True when every pixel outside `allowed` still has the background colour.
bool NoInkOutside(const CairoImage& image, const std::vector<RectF>& allowed,
                  std::uint32_t background, std::string* where) {
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      bool inAllowed = false;
      for (const RectF& r : allowed) {
        inAllowed |= x >= std::floor(r.x) && x < std::ceil(r.x + r.width) && y >= std::floor(r.y) &&
                     y < std::ceil(r.y + r.height);
      }
      if (!inAllowed && image.PixelAt(x, y) != background) {
        *where = std::to_string(x) + "," + std::to_string(y) + " " + Hex(image.PixelAt(x, y));
        return false;
      }
    }
  }
  return true;
}

bool HasInkInside(const CairoImage& image, const RectF& r, std::uint32_t background) {
  for (int y = static_cast<int>(r.y); y < static_cast<int>(r.y + r.height); ++y) {
    for (int x = static_cast<int>(r.x); x < static_cast<int>(r.x + r.width); ++x) {
      if (image.PixelAt(x, y) != background) {
        return true;
      }
    }
  }
  return false;
}

TEST(PainterPixels, TextStaysInsideItsRectangleAndEndsWithAnEllipsisWhenTooLong) {
  const std::string ellipsis = "\xE2\x80\xA6";
  struct Case {
    const char* name;
    std::string text;
    FontStyle font;
    RectF rect;
    Trimming trimming;
    bool trimmed;
  };
  const std::string longChinese =
      "您是否退出当前服务器，重新选择新服务器？这是一段很长很长的说明文字，用来检查换行与省略。";
  const std::string longLatin =
      "A rather long sentence with several words that cannot fit into the small rectangle";
  const Case cases[] = {
      {"short title fits",
       "温馨提示",
       {"arial", 13, true},
       {78, 8, 100, 25},
       Trimming::kEllipsisCharacter,
       false},
      {"long Chinese, character ellipsis",
       longChinese,
       {"arial", 11, false},
       {28, 35, 200, 30},
       Trimming::kEllipsisCharacter,
       true},
      {"long Latin, word ellipsis",
       longLatin,
       {"arial", 14, false},
       {20, 20, 200, 31},
       Trimming::kEllipsisWord,
       true},
      {"long Latin, cut without ellipsis",
       longLatin,
       {"arial", 14, false},
       {20, 20, 120, 20},
       Trimming::kNone,
       false},
      {"rectangle lower than a line",
       longLatin,
       {"arial", 14, false},
       {10, 10, 100, 6},
       Trimming::kEllipsisCharacter,
       true},
  };
  for (const Case& c : cases) {
    TextFormat format{TextAlign::kCenter, c.trimming, true};
    std::string shown = kv::platform::FittedText(c.text, c.font, c.rect, format);
    if (c.trimmed) {
      ASSERT_GE(shown.size(), ellipsis.size()) << c.name;
      EXPECT_EQ(shown.substr(shown.size() - ellipsis.size()), ellipsis) << c.name;
      std::string head = shown.substr(0, shown.size() - ellipsis.size());
      EXPECT_EQ(c.text.compare(0, head.size(), head), 0) << c.name << ": a head of the text";
      EXPECT_LT(head.size(), c.text.size()) << c.name;
    } else {
      EXPECT_EQ(shown, c.text) << c.name;
    }
    CairoCanvas canvas({260, 80});
    canvas.GetPainter().FillRect({0, 0, 260, 80}, Color::FromArgb(kBackground));
    canvas.GetPainter().DrawString(c.text, c.font, Color::FromArgb(0xFFFFFFFF), c.rect, format);
    auto result = Snapshot(canvas);
    std::string where;
    EXPECT_TRUE(NoInkOutside(*result, {c.rect}, kBackground, &where)) << c.name << " at " << where;
    if (c.rect.height >= c.font.pixelSize) {
      EXPECT_TRUE(HasInkInside(*result, c.rect, kBackground)) << c.name;
    }
  }
  // A word ellipsis cuts at a word boundary: the head ends with a whole word.
  std::string words = kv::platform::FittedText(longLatin, {"arial", 14, false}, {0, 0, 200, 31},
                                               {TextAlign::kCenter, Trimming::kEllipsisWord, true});
  std::string head = words.substr(0, words.size() - ellipsis.size());
  ASSERT_FALSE(head.empty());
  char next = longLatin[head.size()];
  EXPECT_TRUE(next == ' ') << "cut inside a word: " << words;
}

// The message box's 200 x 30 rectangle at 11 pixels holds two lines, whatever
// font draws the Chinese: nothing of them is cut, by an ellipsis or by the
// rectangle; a third line does not fit and ends the text with an ellipsis.
TEST(PainterPixels, TwoLinesOfElevenPixelTextFitTheMessageRectangle) {
  const std::string ellipsis = "\xE2\x80\xA6";
  const RectF rect{28, 35, 200, 30};
  const FontStyle font{"arial", 11, false};
  const TextFormat format{TextAlign::kCenter, Trimming::kEllipsisCharacter, true};
  struct Case {
    const char* name;
    std::string text;
    int lines;  // 0: too long, ends with an ellipsis
  };
  const Case cases[] = {
      {"exit prompt, one line", "是否退出《Korvane》登入器？", 1},
      {"server switch, two lines", "您是否退出当前服务器，重新选择新服务器？", 2},
      {"uninstall, one line", "您是否确认卸载《Korvane》？", 1},
      {"three lines' worth",
       "您是否退出当前服务器，重新选择新服务器？您是否退出当前服务器，重新选择新服务器？", 0},
  };
  for (const Case& c : cases) {
    std::string shown = kv::platform::FittedText(c.text, font, rect, format);
    if (c.lines == 0) {
      ASSERT_GE(shown.size(), ellipsis.size()) << c.name;
      EXPECT_EQ(shown.substr(shown.size() - ellipsis.size()), ellipsis) << c.name;
    } else {
      EXPECT_EQ(shown, c.text) << c.name << ": shown without an ellipsis";
    }
    // The text in its rectangle, and the same text with room to spare below.
    CairoCanvas boxed({260, 120});
    CairoCanvas roomy({260, 120});
    for (CairoCanvas* canvas : {&boxed, &roomy}) {
      canvas->GetPainter().FillRect({0, 0, 260, 120}, Color::FromArgb(kBackground));
      RectF layout = canvas == &boxed ? rect : RectF{rect.x, rect.y, rect.width, 80};
      canvas->GetPainter().DrawString(c.text, font, Color::FromArgb(0xFFFFECF7), layout, format);
    }
    auto inBox = Snapshot(boxed);
    auto withRoom = Snapshot(roomy);
    std::string where;
    EXPECT_TRUE(NoInkOutside(*inBox, {rect}, kBackground, &where)) << c.name << " at " << where;
    if (c.lines == 0) {
      continue;
    }
    // Nothing of the text was cut off: with room below it draws the same pixels.
    EXPECT_TRUE(NoInkOutside(*withRoom, {rect}, kBackground, &where))
        << c.name << ": ink beyond the rectangle at " << where;
    for (int y = 0; y < 120; ++y) {
      for (int x = 0; x < 260; ++x) {
        ASSERT_EQ(Hex(inBox->PixelAt(x, y)), Hex(withRoom->PixelAt(x, y)))
            << c.name << ": cut at " << x << "," << y;
      }
    }
    // One line stays in the upper half; a second one reaches into the lower half.
    const RectF lowerHalf{rect.x, rect.y + 17, rect.width, rect.height - 17};
    EXPECT_EQ(HasInkInside(*inBox, lowerHalf, kBackground), c.lines == 2) << c.name;
  }
}

TEST(PainterPixels, MissingFontFamilyFallsBackToSansSerif) {
  EXPECT_EQ(kv::platform::ResolveFontFamily("NoSuchFamilyKorvane"), "sans-serif");
  EXPECT_EQ(kv::platform::ResolveFontFamily("DejaVu Sans"), "DejaVu Sans");
  EXPECT_EQ(kv::platform::ResolveFontFamily("dejavu sans"), "dejavu sans");

  auto draw = [](const std::string& family) {
    CairoCanvas canvas({220, 40});
    canvas.GetPainter().FillRect({0, 0, 220, 40}, Color::FromArgb(0xFF000000));
    canvas.GetPainter().DrawString("Korvane 登入器 123", {family, 14, false},
                                   Color::FromArgb(0xFFFFFFFF), {0, 0, 220, 40},
                                   {TextAlign::kNear, Trimming::kNone, true});
    return Snapshot(canvas);
  };
  auto missing = draw("NoSuchFamilyKorvane");
  auto sans = draw("sans-serif");
  auto serif = draw("DejaVu Serif");
  int differing = 0;
  int differingFromSerif = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 220; ++x) {
      differing += missing->PixelAt(x, y) != sans->PixelAt(x, y);
      differingFromSerif += serif->PixelAt(x, y) != sans->PixelAt(x, y);
    }
  }
  EXPECT_EQ(differing, 0) << "same size and style in the generic sans-serif font";
  EXPECT_GT(differingFromSerif, 0) << "the comparison can tell fonts apart";
  EXPECT_TRUE(HasInkInside(*missing, {0, 0, 220, 40}, 0xFF000000));
}

TEST(PainterPixels, CanvasTranslateAndClip) {
  CairoCanvas canvas({10, 10});
  auto& painter = canvas.GetPainter();
  painter.Save();
  painter.Translate(3, 2);
  painter.Clip({0, 0, 4, 4});
  painter.FillRect({-10, -10, 100, 100}, Color::FromArgb(0xFFFFFFFF));
  painter.Restore();
  painter.FillRect({0, 0, 1, 1}, Color::FromArgb(0xFF00FF00));
  auto result = Snapshot(canvas);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) {
      std::uint32_t expected = (x == 0 && y == 0)                     ? 0xFF00FF00
                               : (x >= 3 && x < 7 && y >= 2 && y < 6) ? 0xFFFFFFFF
                                                                      : 0x00000000;
      EXPECT_EQ(Hex(result->PixelAt(x, y)), Hex(expected)) << x << "," << y;
    }
  }
}

TEST(PainterPixels, PngBytesDecodeOrGiveNothing) {
  std::vector<std::uint32_t> pixels = {0xFF112233, 0x80445566, 0x00000000, 0xFFFFFFFF};
  auto png = kv::test::EncodePng(2, 2, pixels);
  auto image = kv::platform::DecodePngBytes(png);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Width(), 2);
  EXPECT_EQ(image->Height(), 2);
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(Near(image->PixelAt(i % 2, i / 2), pixels[static_cast<size_t>(i)]))
        << i << ": " << Hex(image->PixelAt(i % 2, i / 2));
  }
  std::vector<std::uint8_t> truncated(png.begin(), png.begin() + static_cast<long>(png.size() / 2));
  EXPECT_EQ(kv::platform::DecodePngBytes(truncated), nullptr);
  EXPECT_EQ(kv::platform::DecodePngBytes({}), nullptr);
  std::vector<std::uint8_t> garbage(100, 0x5A);
  EXPECT_EQ(kv::platform::DecodePngBytes(garbage), nullptr);
}

}  // namespace
