#pragma once
// Reads an uncompressed Windows bitmap file (the login pop-up's background).

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kv::login {

struct DecodedBitmap {
  int width = 0;
  int height = 0;
  // Opaque 0xFFRRGGBB pixels, row by row from the top.
  std::vector<std::uint32_t> argb;
};

// A BMP file with its 14-byte file header, a header of at least 40 bytes, 24 or
// 32 bits per pixel and no compression, stored bottom-up or top-down. Nothing
// for anything else, for a file cut short, or for a picture of more than
// kMaxBitmapPixels pixels.
std::optional<DecodedBitmap> DecodeBmp(std::span<const std::uint8_t> file);

inline constexpr std::int64_t kMaxBitmapPixels = 16 * 1024 * 1024;

}  // namespace kv::login
