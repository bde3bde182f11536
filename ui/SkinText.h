#pragma once
// The text convention of the skinned windows: the font family "arial" (the
// painter falls back to the generic sans-serif family when the system has no
// Arial) at a size in pixels, regular or bold, horizontally centred and
// top-aligned, wrapped, trimmed as the caller chooses.

#include <string>

#include "platform/Painter.h"

namespace kv::ui {

inline platform::FontStyle ArialFont(float pixelSize, bool bold) {
  return platform::FontStyle{"arial", pixelSize, bold};
}

inline void DrawCentredText(platform::Painter& painter, const std::string& text, float pixelSize,
                            bool bold, platform::Color color, const platform::RectF& layout,
                            platform::Trimming trimming) {
  painter.DrawString(text, ArialFont(pixelSize, bold), color, layout,
                     platform::TextFormat{platform::TextAlign::kCenter, trimming, true});
}

}  // namespace kv::ui
