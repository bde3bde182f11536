#pragma once
// Images, off-screen canvases and the painter on cairo and pango. None of this
// needs a display.

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/Painter.h"
#include "platform/linux/gtk/CairoPtr.h"

namespace kv::platform {

// An immutable ARGB32 (premultiplied) picture.
class CairoImage final : public Image {
 public:
  explicit CairoImage(SurfacePtr surface);
  int Width() const override;
  int Height() const override;
  cairo_surface_t* Surface() const { return surface_.get(); }
  // The straight-alpha 0xAARRGGBB value of one pixel (for tests and shaping).
  std::uint32_t PixelAt(int x, int y) const;
  // The same picture through the brightening matrix (made once, kept).
  cairo_surface_t* Brightened() const;

 private:
  SurfacePtr surface_;
  mutable SurfacePtr brightened_;
};

std::unique_ptr<CairoImage> DecodePngBytes(std::span<const std::uint8_t> bytes);
std::unique_ptr<CairoImage> ImageFromPixels(int width, int height,
                                            std::span<const std::uint32_t> argb);
// A copy of `source` (any cairo surface) as an image.
std::unique_ptr<CairoImage> ImageFromSurface(cairo_surface_t* source, int width, int height);

// Each colour channel c (0..255, straight alpha) through 1.05 c + 0.05, clamped.
std::uint8_t BrightenChannel(std::uint8_t c);

class CairoPainter final : public Painter {
 public:
  // Draws with `cr`, which the caller owns.
  explicit CairoPainter(cairo_t* cr) : cr_(cr) {}
  void DrawImage(const Image* image, Point at, ImageEffect effect) override;
  void FillTexture(const Image* image, const Rect& area, Point origin) override;
  void FillRect(const Rect& area, Color color) override;
  void DrawString(const std::string& text, const FontStyle& font, Color color, const RectF& layout,
                  const TextFormat& format) override;
  Size MeasureString(const std::string& text, const FontStyle& font, int maxWidth) override;
  void Save() override { cairo_save(cr_); }
  void Restore() override { cairo_restore(cr_); }
  void Translate(int dx, int dy) override { cairo_translate(cr_, dx, dy); }
  void Clip(const Rect& area) override;

 private:
  cairo_t* cr_;
};

class CairoCanvas final : public Canvas {
 public:
  explicit CairoCanvas(Size size);
  CairoCanvas(const CairoCanvas&) = delete;
  CairoCanvas& operator=(const CairoCanvas&) = delete;
  Size GetSize() const override { return size_; }
  Painter& GetPainter() override { return painter_; }
  std::unique_ptr<Image> Snapshot() const override;
  cairo_surface_t* Surface() const { return surface_.get(); }

 private:
  Size size_;
  SurfacePtr surface_;
  CairoPtr cr_;  // draws on surface_; goes before it
  CairoPainter painter_;
};

// The text DrawString shows for `text` in `rect`: all of it, or a head of it
// followed by "…" when it does not fit and `format` asks for trimming.
std::string FittedText(const std::string& text, const FontStyle& font, const RectF& rect,
                       const TextFormat& format);

// The family actually used for `family`: itself when the system has it
// (compared without regard to case), else "sans-serif".
std::string ResolveFontFamily(const std::string& family);

}  // namespace kv::platform
