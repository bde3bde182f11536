#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "login/BitmapDecode.h"
#include "res/Resources.h"

namespace {

using kv::login::DecodeBmp;

void Put16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  bytes[at] = static_cast<std::uint8_t>(value);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

// A bitmap file of `width` x `height` (negative: stored top-down) whose pixel
// at column x of stored row r is (red x, green r, blue 7), rows padded to 4 bytes.
std::vector<std::uint8_t> MakeBmp(int width, int height, int bitsPerPixel = 24,
                                  std::uint32_t compression = 0) {
  const int rows = height < 0 ? -height : height;
  const std::size_t bytesPerPixel = static_cast<std::size_t>(bitsPerPixel) / 8;
  const std::size_t stride =
      (static_cast<std::size_t>(width) * bytesPerPixel + 3) & ~std::size_t{3};
  std::vector<std::uint8_t> bytes(54 + stride * static_cast<std::size_t>(rows), 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  Put32(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
  Put32(bytes, 10, 54);
  Put32(bytes, 14, 40);
  Put32(bytes, 18, static_cast<std::uint32_t>(width));
  Put32(bytes, 22, static_cast<std::uint32_t>(height));
  Put16(bytes, 26, 1);
  Put16(bytes, 28, static_cast<std::uint32_t>(bitsPerPixel));
  Put32(bytes, 30, compression);
  for (int r = 0; r < rows; ++r) {
    for (int x = 0; x < width; ++x) {
      const std::size_t at =
          54 + static_cast<std::size_t>(r) * stride + static_cast<std::size_t>(x) * bytesPerPixel;
      // Depths below 24 bits (files the decoder must refuse) get only what fits.
      const std::uint8_t pixel[3] = {7, static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(x)};
      for (std::size_t i = 0; i < std::min<std::size_t>(bytesPerPixel, 3); ++i) {
        bytes[at + i] = pixel[i];
      }
    }
  }
  return bytes;
}

std::uint32_t Pixel(int red, int green, int blue) {
  return 0xFF000000u | (static_cast<std::uint32_t>(red) << 16) |
         (static_cast<std::uint32_t>(green) << 8) | static_cast<std::uint32_t>(blue);
}

TEST(BitmapDecodeTest, RowsComeOutTopFirstWhicheverWayTheyAreStored) {
  struct Case {
    int height;
    int bits;
    const char* name;
  };
  for (const Case& c : {Case{3, 24, "bottom-up 24-bit"}, Case{-3, 24, "top-down 24-bit"},
                        Case{3, 32, "bottom-up 32-bit"}}) {
    const auto bitmap = DecodeBmp(MakeBmp(5, c.height, c.bits));
    ASSERT_TRUE(bitmap.has_value()) << c.name;
    EXPECT_EQ(bitmap->width, 5) << c.name;
    EXPECT_EQ(bitmap->height, 3) << c.name;
    ASSERT_EQ(bitmap->argb.size(), 15u) << c.name;
    for (int row = 0; row < 3; ++row) {
      const int stored = c.height < 0 ? row : 2 - row;
      for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(bitmap->argb[static_cast<std::size_t>(row * 5 + x)], Pixel(x, stored, 7))
            << c.name << " at " << x << "," << row;
      }
    }
  }
}

TEST(BitmapDecodeTest, AnythingElseIsRefusedWithoutReadingPastTheEnd) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"empty", {}});
  cases.push_back({"not BM", [] {
                     auto b = MakeBmp(2, 2);
                     b[0] = 'X';
                     return b;
                   }()});
  cases.push_back({"8-bit palette", MakeBmp(4, 2, 8)});
  cases.push_back({"run-length compressed", MakeBmp(2, 2, 24, 1)});
  cases.push_back({"zero width", MakeBmp(0, 2)});
  cases.push_back({"pixels cut short", [] {
                     auto b = MakeBmp(7, 5);
                     b.resize(b.size() - 1);
                     return b;
                   }()});
  cases.push_back({"pixel offset past the end", [] {
                     auto b = MakeBmp(2, 2);
                     Put32(b, 10, 0xFFFFFFF0u);
                     return b;
                   }()});
  cases.push_back({"header size past the end", [] {
                     auto b = MakeBmp(2, 2);
                     Put32(b, 14, 0x7FFFFFFFu);
                     return b;
                   }()});
  cases.push_back({"huge size", [] {
                     auto b = MakeBmp(2, 2);
                     Put32(b, 18, 0x7FFFFFFFu);
                     Put32(b, 22, 0x7FFFFFFFu);
                     return b;
                   }()});
  cases.push_back({"most negative height", [] {
                     auto b = MakeBmp(2, 2);
                     Put32(b, 22, 0x80000000u);
                     return b;
                   }()});
  cases.push_back({"no planes", [] {
                     auto b = MakeBmp(2, 2);
                     Put16(b, 26, 0);
                     return b;
                   }()});
  for (const Case& c : cases) {
    EXPECT_FALSE(DecodeBmp(c.bytes).has_value()) << c.name;
  }
  // Every cut of a good file is refused or decoded whole, never read past.
  const auto good = MakeBmp(3, 2);
  for (std::size_t size = 0; size < good.size(); ++size) {
    EXPECT_FALSE(DecodeBmp(std::span(good.data(), size)).has_value()) << "cut at " << size;
  }
}

TEST(BitmapDecodeTest, PopupBackgroundResourceHasSeeThroughGreen) {
  const auto bitmap = DecodeBmp(kv::res::Find(kv::res::Type::kBITMAP, 318));
  ASSERT_TRUE(bitmap.has_value());
  EXPECT_EQ(bitmap->width, 714);
  EXPECT_EQ(bitmap->height, 488);
  std::size_t green = 0;
  for (std::uint32_t pixel : bitmap->argb) {
    green += pixel == Pixel(0, 255, 0) ? 1 : 0;
  }
  EXPECT_GT(green, 0u) << "pure green where the skin shows through";
  EXPECT_LT(green, bitmap->argb.size()) << "and something else elsewhere";
}

}  // namespace
