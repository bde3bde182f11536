#pragma once
// Plain geometry and colour values shared by the window-system interfaces.

#include <cstdint>

namespace kv::platform {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// x, y: top-left corner; width and height may be 0 (an empty rectangle).
struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  int Right() const { return x + width; }
  int Bottom() const { return y + height; }
  bool IsEmpty() const { return width <= 0 || height <= 0; }
  bool Contains(Point p) const { return p.x >= x && p.y >= y && p.x < Right() && p.y < Bottom(); }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// A layout rectangle for text, in pixels with fractions.
struct RectF {
  float x = 0;
  float y = 0;
  float width = 0;
  float height = 0;
};

// A 32-bit colour with straight (not premultiplied) alpha, as 0xAARRGGBB.
struct Color {
  std::uint32_t argb = 0xFF000000;

  static constexpr Color FromArgb(std::uint32_t value) { return Color{value}; }
  static constexpr Color FromRgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return Color{0xFF000000u | (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b};
  }
  constexpr std::uint8_t A() const { return static_cast<std::uint8_t>(argb >> 24); }
  constexpr std::uint8_t R() const { return static_cast<std::uint8_t>(argb >> 16); }
  constexpr std::uint8_t G() const { return static_cast<std::uint8_t>(argb >> 8); }
  constexpr std::uint8_t B() const { return static_cast<std::uint8_t>(argb); }
  friend bool operator==(const Color&, const Color&) = default;
};

// The id of a window of the window system (an X11 window id on Linux); 0 = none.
using NativeWindowId = std::int64_t;

}  // namespace kv::platform
