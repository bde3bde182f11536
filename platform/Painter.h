#pragma once
// Drawing onto a window or an off-screen canvas. Every window paint receives a
// painter over a back buffer that is shown only when the paint is complete, so
// a window never shows a half-drawn frame. Coordinates are pixels of the
// target (a window's client area, or the canvas).

#include <memory>
#include <string>

#include "platform/Geometry.h"
#include "platform/Image.h"

namespace kv::platform {

// Text font: the family is tried first; when the system has no such family the
// generic sans-serif family is used at the same size and weight.
struct FontStyle {
  std::string family = "arial";
  float pixelSize = 12;
  bool bold = false;
};

enum class TextAlign { kNear, kCenter, kFar };

// What happens to text that does not fit its layout rectangle.
enum class Trimming {
  kNone,               // cut off by the rectangle
  kEllipsisCharacter,  // last visible line ends with "…" at a character boundary
  kEllipsisWord,       // last visible line ends with "…" at a word boundary
};

// Text is always top-aligned in its rectangle and never drawn outside it.
struct TextFormat {
  TextAlign align = TextAlign::kNear;
  Trimming trimming = Trimming::kNone;
  bool wrap = true;
};

// How an image is drawn.
enum class ImageEffect {
  kNone,
  // Each colour channel c (0..1) becomes min(1, 1.05 c + 0.05); alpha unchanged.
  kBrighten,
};

class Painter {
 public:
  virtual ~Painter() = default;

  // Draws `image` at its natural size with its top-left corner at `at`,
  // blended by its alpha. A null image draws nothing.
  virtual void DrawImage(const Image* image, Point at, ImageEffect effect = ImageEffect::kNone) = 0;
  // Fills `area` with `image` repeated, one tile's top-left corner at `origin`.
  // A null image fills nothing.
  virtual void FillTexture(const Image* image, const Rect& area, Point origin) = 0;
  // Fills `area` with a colour, blended by its alpha.
  virtual void FillRect(const Rect& area, Color color) = 0;
  // Draws UTF-8 `text` inside `layout` (see TextFormat); nothing is drawn outside it.
  virtual void DrawString(const std::string& text, const FontStyle& font, Color color,
                          const RectF& layout, const TextFormat& format) = 0;

  // The size `text` takes when laid out with `font`, wrapped at `maxWidth`
  // pixels (0: one line per paragraph).
  virtual Size MeasureString(const std::string& text, const FontStyle& font, int maxWidth) = 0;

  // Saves the translation and clip; Restore brings them back.
  virtual void Save() = 0;
  virtual void Restore() = 0;
  // Moves the origin: later drawing at (x, y) lands at (x + dx, y + dy).
  virtual void Translate(int dx, int dy) = 0;
  // Limits later drawing to `area` (in the current coordinates), within the current clip.
  virtual void Clip(const Rect& area) = 0;
};

// An off-screen picture to draw into; its pixels start fully transparent. Works
// without a display.
class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual Size GetSize() const = 0;
  virtual Painter& GetPainter() = 0;
  // A copy of what has been drawn so far.
  virtual std::unique_ptr<Image> Snapshot() const = 0;
};

}  // namespace kv::platform
