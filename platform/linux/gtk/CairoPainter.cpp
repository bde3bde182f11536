#include "platform/linux/gtk/CairoPainter.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>
#include <string>

#include "platform/linux/GlibPtr.h"
#include "platform/linux/gtk/CairoPtr.h"

namespace kv::platform {

namespace {

std::uint32_t Premultiply(std::uint32_t argb) {
  std::uint32_t a = argb >> 24;
  auto channel = [&](int shift) { return ((((argb >> shift) & 0xFF) * a + 127) / 255) << shift; };
  return (a << 24) | channel(16) | channel(8) | channel(0);
}

std::uint32_t Unpremultiply(std::uint32_t pixel) {
  std::uint32_t a = pixel >> 24;
  if (a == 0) {
    return 0;
  }
  auto channel = [&](int shift) {
    std::uint32_t c = (((pixel >> shift) & 0xFF) * 255 + a / 2) / a;
    return std::min<std::uint32_t>(c, 255) << shift;
  };
  return (a << 24) | channel(16) | channel(8) | channel(0);
}

SurfacePtr NewSurface(int width, int height) {
  return SurfacePtr(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
}

std::uint32_t* Row(cairo_surface_t* surface, int y) {
  unsigned char* data = cairo_image_surface_get_data(surface);
  return reinterpret_cast<std::uint32_t*>(data + y * cairo_image_surface_get_stride(surface));
}

void SetSourceColor(cairo_t* cr, Color color) {
  cairo_set_source_rgba(cr, color.R() / 255.0, color.G() / 255.0, color.B() / 255.0,
                        color.A() / 255.0);
}

struct PngReader {
  std::span<const std::uint8_t> bytes;
  std::size_t at = 0;
};

}  // namespace

std::uint8_t BrightenChannel(std::uint8_t c) {
  double value = 1.05 * c + 0.05 * 255.0;
  return static_cast<std::uint8_t>(std::min(255.0, std::floor(value + 0.5)));
}

CairoImage::CairoImage(SurfacePtr surface) : surface_(std::move(surface)) {}

int CairoImage::Width() const {
  return cairo_image_surface_get_width(surface_.get());
}
int CairoImage::Height() const {
  return cairo_image_surface_get_height(surface_.get());
}

std::uint32_t CairoImage::PixelAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) {
    return 0;
  }
  cairo_surface_flush(surface_.get());
  return Unpremultiply(Row(surface_.get(), y)[x]);
}

cairo_surface_t* CairoImage::Brightened() const {
  if (brightened_.get() == nullptr) {
    int width = Width();
    int height = Height();
    SurfacePtr result = NewSurface(width, height);
    cairo_surface_flush(surface_.get());
    for (int y = 0; y < height; ++y) {
      const std::uint32_t* in = Row(surface_.get(), y);
      std::uint32_t* out = Row(result.get(), y);
      for (int x = 0; x < width; ++x) {
        std::uint32_t straight = Unpremultiply(in[x]);
        std::uint32_t lit = straight & 0xFF000000u;
        for (int shift : {16, 8, 0}) {
          lit |= std::uint32_t{BrightenChannel(static_cast<std::uint8_t>(straight >> shift))}
                 << shift;
        }
        out[x] = Premultiply(lit);
      }
    }
    cairo_surface_mark_dirty(result.get());
    brightened_ = std::move(result);
  }
  return brightened_.get();
}

std::unique_ptr<CairoImage> ImageFromSurface(cairo_surface_t* source, int width, int height) {
  if (width <= 0 || height <= 0) {
    return nullptr;
  }
  SurfacePtr copy = NewSurface(width, height);
  if (cairo_surface_status(copy.get()) != CAIRO_STATUS_SUCCESS) {
    return nullptr;
  }
  {
    CairoPtr cr(cairo_create(copy.get()));
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr.get(), source, 0, 0);
    cairo_paint(cr.get());
  }
  cairo_surface_flush(copy.get());
  return std::make_unique<CairoImage>(std::move(copy));
}

std::unique_ptr<CairoImage> DecodePngBytes(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) {
    return nullptr;
  }
  PngReader reader{bytes};
  SurfacePtr decoded(cairo_image_surface_create_from_png_stream(
      [](void* closure, unsigned char* data, unsigned int length) {
        auto* r = static_cast<PngReader*>(closure);
        if (r->bytes.size() - r->at < length) {
          return CAIRO_STATUS_READ_ERROR;
        }
        std::memcpy(data, r->bytes.data() + r->at, length);
        r->at += length;
        return CAIRO_STATUS_SUCCESS;
      },
      &reader));
  if (cairo_surface_status(decoded.get()) != CAIRO_STATUS_SUCCESS) {
    return nullptr;
  }
  return ImageFromSurface(decoded.get(), cairo_image_surface_get_width(decoded.get()),
                          cairo_image_surface_get_height(decoded.get()));
}

std::unique_ptr<CairoImage> ImageFromPixels(int width, int height,
                                            std::span<const std::uint32_t> argb) {
  if (width <= 0 || height <= 0 ||
      argb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
    return nullptr;
  }
  SurfacePtr surface = NewSurface(width, height);
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
    return nullptr;
  }
  cairo_surface_flush(surface.get());
  for (int y = 0; y < height; ++y) {
    std::uint32_t* row = Row(surface.get(), y);
    for (int x = 0; x < width; ++x) {
      row[x] = Premultiply(argb[static_cast<std::size_t>(y) * width + x]);
    }
  }
  cairo_surface_mark_dirty(surface.get());
  return std::make_unique<CairoImage>(std::move(surface));
}

void CairoPainter::DrawImage(const Image* image, Point at, ImageEffect effect) {
  const auto* cairoImage = dynamic_cast<const CairoImage*>(image);
  if (cairoImage == nullptr) {
    return;
  }
  cairo_surface_t* source =
      effect == ImageEffect::kBrighten ? cairoImage->Brightened() : cairoImage->Surface();
  cairo_save(cr_);
  cairo_set_source_surface(cr_, source, at.x, at.y);
  cairo_rectangle(cr_, at.x, at.y, image->Width(), image->Height());
  cairo_fill(cr_);
  cairo_restore(cr_);
}

void CairoPainter::FillTexture(const Image* image, const Rect& area, Point origin) {
  const auto* cairoImage = dynamic_cast<const CairoImage*>(image);
  if (cairoImage == nullptr || area.IsEmpty()) {
    return;
  }
  cairo_save(cr_);
  CairoPatternPtr pattern(cairo_pattern_create_for_surface(cairoImage->Surface()));
  cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_NEAREST);
  cairo_matrix_t matrix;
  cairo_matrix_init_translate(&matrix, -origin.x, -origin.y);
  cairo_pattern_set_matrix(pattern.get(), &matrix);
  cairo_set_source(cr_, pattern.get());
  cairo_rectangle(cr_, area.x, area.y, area.width, area.height);
  cairo_fill(cr_);
  cairo_restore(cr_);
}

void CairoPainter::FillRect(const Rect& area, Color color) {
  if (area.IsEmpty()) {
    return;
  }
  cairo_save(cr_);
  SetSourceColor(cr_, color);
  cairo_rectangle(cr_, area.x, area.y, area.width, area.height);
  cairo_fill(cr_);
  cairo_restore(cr_);
}

void CairoPainter::Clip(const Rect& area) {
  cairo_rectangle(cr_, area.x, area.y, area.width, area.height);
  cairo_clip(cr_);
}

std::string ResolveFontFamily(const std::string& family) {
  static std::map<std::string, std::string> resolved;
  auto found = resolved.find(family);
  if (found != resolved.end()) {
    return found->second;
  }
  std::string result = "sans-serif";
  GMallocPtr<PangoFontFamily*> families;
  int count = 0;
  pango_font_map_list_families(pango_cairo_font_map_get_default(), families.out(), &count);
  for (int i = 0; i < count; ++i) {
    if (g_ascii_strcasecmp(pango_font_family_get_name(families.get()[i]), family.c_str()) == 0) {
      result = family;
      break;
    }
  }
  resolved.emplace(family, result);
  return result;
}

namespace {

using LayoutPtr = GObjectPtr<PangoLayout>;

struct FontDescription {
  explicit FontDescription(const FontStyle& font) : value(pango_font_description_new()) {
    pango_font_description_set_family(value, ResolveFontFamily(font.family).c_str());
    pango_font_description_set_absolute_size(value, font.pixelSize * PANGO_SCALE);
    pango_font_description_set_weight(value, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  }
  ~FontDescription() { pango_font_description_free(value); }
  FontDescription(const FontDescription&) = delete;
  FontDescription& operator=(const FontDescription&) = delete;
  PangoFontDescription* value;
};

// Lines are spaced as Arial spaces them (ascent + descent + line gap =
// 2355/2048 of the em), whatever font ends up drawing them: the launcher's text
// rectangles are sized for that. The fonts that draw Chinese when Arial has no
// glyph are much taller (about 1.45 em), and two lines of 11-pixel text would
// no longer fit the message box's 30-pixel rectangle.
constexpr double kLineHeightPerPixel = 2355.0 / 2048.0;

void SetFont(PangoLayout* layout, const FontStyle& font) {
  FontDescription description(font);
  pango_layout_set_font_description(layout, description.value);
  PangoAttrListPtr attributes(pango_attr_list_new());
  pango_attr_list_insert(attributes.get(),
                         pango_attr_line_height_new_absolute(static_cast<int>(
                             std::lround(font.pixelSize * kLineHeightPerPixel * PANGO_SCALE))));
  pango_layout_set_attributes(layout, attributes.get());
}

// How the laid-out text sits in its rectangle. With lines closer than the font
// would space them, the tallest glyphs of the first line may reach above the
// layout's top; the text then moves down so that all its ink stays inside.
struct TextBox {
  int width = 0;   // logical width
  int height = 0;  // from the top of the ink or the layout to the lower of both bottoms
  int shift = 0;   // how far the layout is drawn below the rectangle's top
};

TextBox BoxOf(PangoLayout* layout) {
  PangoRectangle ink;
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout, &ink, &logical);
  TextBox box;
  box.width = logical.width;
  const bool inked = ink.width > 0 && ink.height > 0;
  const int top = inked ? std::min(ink.y, 0) : 0;
  const int bottom =
      inked ? std::max(logical.y + logical.height, ink.y + ink.height) : logical.y + logical.height;
  box.height = bottom - top;
  box.shift = -top;
  return box;
}

bool LayoutFits(PangoLayout* layout, const RectF& rect, bool wrap) {
  TextBox box = BoxOf(layout);
  return box.height <= rect.height + 0.01f && (wrap || box.width <= rect.width + 0.01f);
}

// The places where the text may be cut before an ellipsis, as byte offsets,
// shortest first.
std::vector<std::size_t> CutPositions(PangoLayout* layout, const std::string& text,
                                      Trimming trimming) {
  int count = 0;
  const PangoLogAttr* attrs = pango_layout_get_log_attrs_readonly(layout, &count);
  std::vector<std::size_t> cuts;
  const char* begin = text.c_str();
  const char* p = begin;
  for (int i = 0; i < count; ++i) {
    bool allowed = trimming == Trimming::kEllipsisWord
                       ? (attrs[i].is_word_end || attrs[i].is_word_start)
                       : attrs[i].is_cursor_position;
    if (allowed && i > 0) {
      cuts.push_back(static_cast<std::size_t>(p - begin));
    }
    if (*p == '\0') {
      break;
    }
    p = g_utf8_next_char(p);
  }
  return cuts;
}

std::string WithEllipsis(const std::string& text, std::size_t cut) {
  std::string head = text.substr(0, cut);
  while (!head.empty() && std::isspace(static_cast<unsigned char>(head.back()))) {
    head.pop_back();
  }
  return head + "\xE2\x80\xA6";  // U+2026
}

// Prepares `layout` for `text` in `rect` and returns the text it shows: the
// whole text, or when it does not fit and trimming is asked for, the longest
// head that fits followed by an ellipsis.
std::string LayOutText(PangoLayout* layout, const std::string& text, const FontStyle& font,
                       const RectF& rect, const TextFormat& format) {
  SetFont(layout, font);
  if (format.wrap) {
    pango_layout_set_width(layout, static_cast<int>(rect.width * PANGO_SCALE));
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_alignment(layout, format.align == TextAlign::kCenter ? PANGO_ALIGN_CENTER
                                       : format.align == TextAlign::kFar  ? PANGO_ALIGN_RIGHT
                                                                          : PANGO_ALIGN_LEFT);
  }
  pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
  if (format.trimming == Trimming::kNone || LayoutFits(layout, rect, format.wrap)) {
    return text;
  }
  std::vector<std::size_t> cuts = CutPositions(layout, text, format.trimming);
  std::string best = "\xE2\x80\xA6";
  std::size_t low = 0;
  std::size_t high = cuts.size();
  while (low < high) {
    std::size_t mid = (low + high) / 2;
    std::string candidate = WithEllipsis(text, cuts[mid]);
    pango_layout_set_text(layout, candidate.c_str(), static_cast<int>(candidate.size()));
    if (LayoutFits(layout, rect, format.wrap)) {
      best = std::move(candidate);
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  pango_layout_set_text(layout, best.c_str(), static_cast<int>(best.size()));
  return best;
}

bool UsableText(const std::string& text) {
  return !text.empty() && g_utf8_validate(text.c_str(), static_cast<gssize>(text.size()), nullptr);
}

}  // namespace

std::string FittedText(const std::string& text, const FontStyle& font, const RectF& rect,
                       const TextFormat& format) {
  if (!UsableText(text)) {
    return {};
  }
  SurfacePtr scratch = NewSurface(1, 1);
  CairoPtr cr(cairo_create(scratch.get()));
  LayoutPtr layout(pango_cairo_create_layout(cr.get()));
  return LayOutText(layout.get(), text, font, rect, format);
}

void CairoPainter::DrawString(const std::string& text, const FontStyle& font, Color color,
                              const RectF& rect, const TextFormat& format) {
  if (!UsableText(text) || rect.width <= 0 || rect.height <= 0) {
    return;
  }
  LayoutPtr layout(pango_cairo_create_layout(cr_));
  LayOutText(layout.get(), text, font, rect, format);
  const TextBox box = BoxOf(layout.get());
  double x = rect.x;
  if (!format.wrap && format.align != TextAlign::kNear) {
    double spare = rect.width - box.width;
    x += format.align == TextAlign::kCenter ? spare / 2 : spare;
  }
  cairo_save(cr_);
  cairo_rectangle(cr_, rect.x, rect.y, rect.width, rect.height);
  cairo_clip(cr_);
  SetSourceColor(cr_, color);
  cairo_move_to(cr_, x, rect.y + box.shift);
  pango_cairo_show_layout(cr_, layout.get());
  cairo_restore(cr_);
}

Size CairoPainter::MeasureString(const std::string& text, const FontStyle& font, int maxWidth) {
  if (text.empty() || !g_utf8_validate(text.c_str(), static_cast<gssize>(text.size()), nullptr)) {
    return {};
  }
  LayoutPtr layout(pango_cairo_create_layout(cr_));
  SetFont(layout.get(), font);
  if (maxWidth > 0) {
    pango_layout_set_width(layout.get(), maxWidth * PANGO_SCALE);
    pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
  }
  pango_layout_set_text(layout.get(), text.c_str(), static_cast<int>(text.size()));
  const TextBox box = BoxOf(layout.get());
  return {box.width, box.height};
}

CairoCanvas::CairoCanvas(Size size)
    : size_{std::max(size.width, 1), std::max(size.height, 1)},
      surface_(NewSurface(size_.width, size_.height)),
      cr_(cairo_create(surface_.get())),
      painter_(cr_.get()) {}

std::unique_ptr<Image> CairoCanvas::Snapshot() const {
  cairo_surface_flush(surface_.get());
  return ImageFromSurface(surface_.get(), size_.width, size_.height);
}

}  // namespace kv::platform
