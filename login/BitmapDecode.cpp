#include "login/BitmapDecode.h"

#include <cstdlib>

namespace kv::login {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderMinSize = 40;
constexpr std::uint32_t kCompressionNone = 0;
constexpr std::uint32_t kCompressionBitFields = 3;  // 32-bit files may say so with the usual masks

std::uint32_t Le32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return std::uint32_t{bytes[at]} | (std::uint32_t{bytes[at + 1]} << 8) |
         (std::uint32_t{bytes[at + 2]} << 16) | (std::uint32_t{bytes[at + 3]} << 24);
}

std::uint16_t Le16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

}  // namespace

std::optional<DecodedBitmap> DecodeBmp(std::span<const std::uint8_t> file) {
  if (file.size() < kFileHeaderSize + kInfoHeaderMinSize || file[0] != 'B' || file[1] != 'M') {
    return std::nullopt;
  }
  const std::uint32_t pixelOffset = Le32(file, 10);
  const std::uint32_t headerSize = Le32(file, 14);
  if (headerSize < kInfoHeaderMinSize || headerSize > file.size() - kFileHeaderSize) {
    return std::nullopt;
  }
  const auto width = static_cast<std::int32_t>(Le32(file, 18));
  const auto rawHeight = static_cast<std::int32_t>(Le32(file, 22));
  const std::uint16_t planes = Le16(file, 26);
  const std::uint16_t bitsPerPixel = Le16(file, 28);
  const std::uint32_t compression = Le32(file, 30);
  if (planes != 1 || (bitsPerPixel != 24 && bitsPerPixel != 32)) {
    return std::nullopt;
  }
  if (compression != kCompressionNone &&
      !(compression == kCompressionBitFields && bitsPerPixel == 32)) {
    return std::nullopt;
  }
  // The most negative height has no positive counterpart.
  if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) {
    return std::nullopt;
  }
  const bool topDown = rawHeight < 0;
  const std::int64_t height = std::llabs(std::int64_t{rawHeight});
  if (std::int64_t{width} * height > kMaxBitmapPixels) {
    return std::nullopt;
  }
  const std::size_t bytesPerPixel = bitsPerPixel / 8;
  const std::size_t stride =
      (static_cast<std::size_t>(width) * bytesPerPixel + 3) & ~std::size_t{3};
  const std::size_t needed = stride * static_cast<std::size_t>(height);
  if (pixelOffset > file.size() || file.size() - pixelOffset < needed) {
    return std::nullopt;
  }

  DecodedBitmap bitmap;
  bitmap.width = width;
  bitmap.height = static_cast<int>(height);
  bitmap.argb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (std::int64_t row = 0; row < height; ++row) {
    const std::int64_t stored = topDown ? row : height - 1 - row;
    const std::size_t rowStart = pixelOffset + static_cast<std::size_t>(stored) * stride;
    std::uint32_t* out =
        &bitmap.argb[static_cast<std::size_t>(row) * static_cast<std::size_t>(width)];
    for (std::int32_t x = 0; x < width; ++x) {
      const std::size_t at = rowStart + static_cast<std::size_t>(x) * bytesPerPixel;
      // Stored blue, green, red (and an unused fourth byte).
      out[x] = 0xFF000000u | (std::uint32_t{file[at + 2]} << 16) |
               (std::uint32_t{file[at + 1]} << 8) | file[at];
    }
  }
  return bitmap;
}

}  // namespace kv::login
