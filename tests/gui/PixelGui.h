#pragma once
// For pixel tests without a display: windows come from the recording double,
// pictures (PNG decoding, canvases, the painter) from the real cairo backend.
// A window's picture is made by running its paint routine on a real canvas.

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/gtk/CairoPainter.h"
#include "tests/fake/FakeGui.h"

namespace kv::test {

class PixelGui final : public platform::Gui {
 public:
  bool Initialize() override { return true; }
  std::unique_ptr<platform::Window> MakeWindow(const platform::WindowOptions& options,
                                               platform::WindowEvents& events) override {
    return fake.MakeWindow(options, events);
  }
  std::unique_ptr<platform::WebView> MakeWebView(platform::Window& host,
                                                 platform::WebViewEvents& events,
                                                 const platform::WebViewOptions& options) override {
    return fake.MakeWebView(host, events, options);
  }
  std::unique_ptr<platform::Image> DecodePng(std::span<const std::uint8_t> bytes) override {
    return platform::DecodePngBytes(bytes);
  }
  std::unique_ptr<platform::Image> CreateImage(int width, int height,
                                               std::span<const std::uint32_t> argb) override {
    return platform::ImageFromPixels(width, height, argb);
  }
  std::unique_ptr<platform::Canvas> CreateCanvas(platform::Size size) override {
    return std::make_unique<platform::CairoCanvas>(size);
  }
  platform::Size ScreenSize() override { return fake.ScreenSize(); }
  platform::Rect WorkArea() override { return fake.WorkArea(); }
  bool IsActiveApplication() override { return true; }
  bool SendWindowMessage(platform::NativeWindowId t, int m, std::int64_t p) override {
    return fake.SendWindowMessage(t, m, p);
  }
  bool WindowExists(platform::NativeWindowId t) override { return fake.WindowExists(t); }
  std::optional<platform::Size> WindowClientSize(platform::NativeWindowId t) override {
    return fake.WindowClientSize(t);
  }
  std::unique_ptr<platform::WindowProbe> MakeWindowProbe() override {
    return fake.MakeWindowProbe();
  }
  void RunMainLoop() override {}
  void QuitMainLoop() override {}
  void RunOnUiThread(std::function<void()> task) override { fake.RunOnUiThread(std::move(task)); }
  void ClearWebData(std::function<void(bool)> done) override { done(true); }
  std::filesystem::path WebDataFolder() override { return {}; }
  std::filesystem::path WebCacheFolder() override { return {}; }

  fake::FakeGui fake;
};

// The picture of `window` as its paint routine draws it, over `under`.
inline std::unique_ptr<platform::CairoImage> Render(platform::Window& window, platform::Size size,
                                                    std::uint32_t under = 0x00000000) {
  platform::CairoCanvas canvas(size);
  canvas.GetPainter().FillRect({0, 0, size.width, size.height}, platform::Color::FromArgb(under));
  window.RenderInto(canvas.GetPainter());
  auto snapshot = canvas.Snapshot();
  return std::unique_ptr<platform::CairoImage>(
      static_cast<platform::CairoImage*>(snapshot.release()));
}

// A PNG file of straight-alpha 0xAARRGGBB pixels.
inline std::vector<std::uint8_t> EncodePng(int width, int height,
                                           const std::vector<std::uint32_t>& argb) {
  auto image = platform::ImageFromPixels(width, height, argb);
  std::vector<std::uint8_t> bytes;
  cairo_surface_write_to_png_stream(
      image->Surface(),
      [](void* closure, const unsigned char* data, unsigned int length) {
        auto* out = static_cast<std::vector<std::uint8_t>*>(closure);
        out->insert(out->end(), data, data + length);
        return CAIRO_STATUS_SUCCESS;
      },
      &bytes);
  return bytes;
}

inline std::vector<std::uint8_t> SolidPng(int width, int height, std::uint32_t argb) {
  return EncodePng(width, height,
                   std::vector<std::uint32_t>(static_cast<size_t>(width) * height, argb));
}

inline std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", value);
  return text;
}

// Channels of two straight-alpha pixels differ by at most `tolerance`.
inline bool Near(std::uint32_t a, std::uint32_t b, int tolerance = 1) {
  for (int shift : {24, 16, 8, 0}) {
    int ca = static_cast<int>((a >> shift) & 0xFF);
    int cb = static_cast<int>((b >> shift) & 0xFF);
    if (ca - cb > tolerance || cb - ca > tolerance) {
      return false;
    }
  }
  return true;
}

// An opaque straight colour `top` with alpha `alpha` over the opaque `bottom`.
inline std::uint32_t Over(std::uint32_t top, std::uint32_t bottom) {
  double a = ((top >> 24) & 0xFF) / 255.0;
  std::uint32_t result = 0xFF000000u;
  for (int shift : {16, 8, 0}) {
    double c = ((top >> shift) & 0xFF) * a + ((bottom >> shift) & 0xFF) * (1 - a);
    result |= static_cast<std::uint32_t>(c + 0.5) << shift;
  }
  return result;
}

}  // namespace kv::test
