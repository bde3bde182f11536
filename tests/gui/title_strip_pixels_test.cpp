// Pixel test of the main window's title strip, painted by the real cairo
// painter on an off-screen canvas: the left piece at the left edge, the middle
// piece tiled from the end of the left one, the right piece flush with the
// right edge, nothing below the strip, and nothing at all when a piece is
// missing or the window is fullscreen.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "mainwnd/LoginStep.h"
#include "mainwnd/Lorvik_Q7Dlg.h"
#include "mainwnd/MainWindowIds.h"
#include "tests/gui/PixelGui.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/SkinFixtures.h"
#include "tests/support/TempFolder.h"

namespace {

using kv::fake::FakeWindow;
using kv::mainwnd::kPngTitleLeft;
using kv::mainwnd::kPngTitleMiddle;
using kv::mainwnd::kPngTitleRight;
using kv::mainwnd::kTitleStripHeight;
using kv::test::Hex;
using kv::test::PixelGui;
using kv::test::Render;

// The test pieces are taller than the strip, so that the cut at row 30 shows.
constexpr int kPieceHeight = kTitleStripHeight + 6;
constexpr int kLeftWidth = 203;
constexpr int kRightWidth = 92;

// Each piece has a marked first or last column, and the middle piece two
// columns of its own, so that where each is drawn and how the middle is tiled
// can be read from the pixels.
constexpr std::uint32_t kLeftEdge = 0xFFFF0000;
constexpr std::uint32_t kLeft = 0xFFC00000;
constexpr std::uint32_t kMiddleEven = 0xFF00C000;
constexpr std::uint32_t kMiddleOdd = 0xFF008000;
constexpr std::uint32_t kRight = 0xFF0000C0;
constexpr std::uint32_t kRightEdge = 0xFF0000FF;
constexpr std::uint32_t kUnder = 0xFF505050;  // what lies under the window's paint

std::vector<std::uint8_t> Piece(int width, const std::function<std::uint32_t(int)>& column) {
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < kPieceHeight; ++y) {
    for (int x = 0; x < width; ++x) {
      pixels.push_back(column(x));
    }
  }
  return kv::test::EncodePng(width, kPieceHeight, pixels);
}

std::map<int, std::vector<std::uint8_t>> StripPieces() {
  return {
      {kPngTitleLeft, Piece(kLeftWidth, [](int x) { return x == 0 ? kLeftEdge : kLeft; })},
      {kPngTitleMiddle, Piece(2, [](int x) { return x == 0 ? kMiddleEven : kMiddleOdd; })},
      {kPngTitleRight,
       Piece(kRightWidth, [](int x) { return x == kRightWidth - 1 ? kRightEdge : kRight; })},
  };
}

// The colour the strip shows at column x of a window `width` pixels wide.
std::uint32_t Expected(int x, int width) {
  if (x >= width - kRightWidth) {
    return x == width - 1 ? kRightEdge : kRight;
  }
  if (x < kLeftWidth) {
    return x == 0 ? kLeftEdge : kLeft;
  }
  return (x - kLeftWidth) % 2 == 0 ? kMiddleEven : kMiddleOdd;
}

class FixedLoginStep final : public kv::mainwnd::LoginStep {
 public:
  std::string Run() override { return "about:blank"; }
};

kv::mainwnd::ProcessServices NoProcesses() {
  kv::mainwnd::ProcessServices services;
  services.executablePath = [] {
    ADD_FAILURE() << "no process service is used while painting";
    return std::filesystem::path();
  };
  services.startProcess = [](const std::filesystem::path&, const std::string&) {
    ADD_FAILURE() << "no process service is used while painting";
    return false;
  };
  services.sleep = [](int) { ADD_FAILURE() << "no process service is used while painting"; };
  return services;
}

// The main window on pixel-capable windows, its settings kept out of the real home.
class StripFixture {
 public:
  explicit StripFixture(std::map<int, std::vector<std::uint8_t>> images)
      : home_("HOME", (folder_ / "home").c_str()),
        data_("XDG_DATA_HOME", (folder_ / "data").c_str()),
        config_("XDG_CONFIG_HOME", (folder_ / "config").c_str()),
        cache_("XDG_CACHE_HOME", (folder_ / "cache").c_str()),
        images_(std::move(images)),
        dialog_(gui_, login_, NoProcesses()) {}

  bool Start() {
    if (!dialog_.OnInitDialog()) {
      return false;
    }
    dialog_.Window()->Show();
    return true;
  }
  kv::mainwnd::CLorvik_Q7Dlg& Dialog() { return dialog_; }
  FakeWindow& Main() { return static_cast<FakeWindow&>(*dialog_.Window()); }

 private:
  kv::test::TempFolder folder_;
  kv::test::EnvOverride home_;
  kv::test::EnvOverride data_;
  kv::test::EnvOverride config_;
  kv::test::EnvOverride cache_;
  kv::test::ScopedPngResources images_;
  PixelGui gui_;
  FixedLoginStep login_;
  kv::mainwnd::CLorvik_Q7Dlg dialog_;
};

// Rows below the strip that the picture covers.
constexpr int kBelowRows = 10;

TEST(TitleStripPixels, LeftTiledMiddleAndRightPieceAtEveryWidth) {
  struct Case {
    const char* name;
    std::function<void(StripFixture&)> size;
  };
  const Case cases[] = {
      {"maximised to the work area", [](StripFixture&) {}},
      {"restored", [](StripFixture& f) { f.Dialog().OnRestore(); }},
      {"an odd width from the window manager",
       [](StripFixture& f) {
         f.Dialog().OnRestore();
         f.Main().WindowManagerPlace({40, 40, 777, 500});
       }},
  };
  for (const Case& c : cases) {
    StripFixture fixture(StripPieces());
    ASSERT_TRUE(fixture.Start()) << c.name;
    c.size(fixture);
    const int width = fixture.Main().ClientSize().width;
    ASSERT_GT(width, kLeftWidth + kRightWidth) << c.name;
    auto picture = Render(fixture.Main(), {width, kTitleStripHeight + kBelowRows}, kUnder);
    for (int y = 0; y < kTitleStripHeight + kBelowRows; ++y) {
      for (int x = 0; x < width; ++x) {
        std::uint32_t expected = y < kTitleStripHeight ? Expected(x, width) : kUnder;
        ASSERT_EQ(Hex(picture->PixelAt(x, y)), Hex(expected))
            << c.name << " (width " << width << ") at " << x << "," << y;
      }
    }
  }
}

TEST(TitleStripPixels, NothingWithAPieceMissingOrInFullscreen) {
  struct Case {
    const char* name;
    int missing;  // 0: all pieces present
    bool fullscreen;
  };
  const Case cases[] = {
      {"left piece missing", kPngTitleLeft, false},
      {"middle piece missing", kPngTitleMiddle, false},
      {"right piece missing", kPngTitleRight, false},
      {"fullscreen", 0, true},
  };
  for (const Case& c : cases) {
    auto pieces = StripPieces();
    pieces.erase(c.missing);
    StripFixture fixture(std::move(pieces));
    ASSERT_TRUE(fixture.Start()) << c.name;
    if (c.fullscreen) {
      fixture.Dialog().EnterFullScreen();
      ASSERT_TRUE(fixture.Dialog().FullScreen()) << c.name;
    }
    const int width = fixture.Main().ClientSize().width;
    auto picture = Render(fixture.Main(), {width, kTitleStripHeight + kBelowRows}, kUnder);
    for (int y = 0; y < kTitleStripHeight + kBelowRows; ++y) {
      for (int x = 0; x < width; ++x) {
        ASSERT_EQ(Hex(picture->PixelAt(x, y)), Hex(kUnder))
            << c.name << ": painted at " << x << "," << y;
      }
    }
  }
}

}  // namespace
