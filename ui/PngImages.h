#pragma once
// Skin images: PNG resources decoded into images (LoadPngImage for images a
// window keeps for the whole process, CGdiPlusBitmapResource for images an
// object owns), and the source of their bytes.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <vector>

#include "platform/Gui.h"
#include "platform/Image.h"

namespace kv::ui {

// Where PNG resource bytes come from: the program's resources (res::Find) unless
// a source was set. The images LoadPngImage hands out are kept for the process.
class PngLibrary {
 public:
  using Source = std::function<std::span<const std::uint8_t>(int id)>;

  static PngLibrary& Process();

  std::span<const std::uint8_t> Bytes(int id) const;
  // The image of resource `id`, decoded on the first request and kept; null
  // when there is no such resource or it is not a PNG (that answer is kept too).
  const platform::Image* Image(platform::Gui& gui, int id);
  // Takes bytes from `source` from now on (null: the program's resources).
  // Images handed out before stay valid; later requests decode afresh.
  void SetSource(Source source);

 private:
  Source source_;
  std::map<int, std::unique_ptr<platform::Image>> images_;
  std::vector<std::unique_ptr<platform::Image>> retired_;
};

// The image of PNG resource `id`, decoded once and kept for the process; null
// when absent. The window system draws it; `gui` decodes it.
const platform::Image* LoadPngImage(platform::Gui& gui, int id);

// The owner of one decoded image.
class CGdiPlusBitmap {
 public:
  CGdiPlusBitmap() = default;
  virtual ~CGdiPlusBitmap() = default;
  CGdiPlusBitmap(const CGdiPlusBitmap&) = delete;
  CGdiPlusBitmap& operator=(const CGdiPlusBitmap&) = delete;

  // Drops the image.
  void Clear() { m_pGdiBitmap.reset(); }
  const platform::Image* Get() const { return m_pGdiBitmap.get(); }

  std::unique_ptr<platform::Image> m_pGdiBitmap;
};

// An image decoded from a PNG resource, owned by this object.
class CGdiPlusBitmapResource : public CGdiPlusBitmap {
 public:
  // Clears, then decodes resource `id`; false (and empty) when it is absent or
  // not a PNG. The decoded image needs no copy of the bytes afterwards.
  bool LoadPng(platform::Gui& gui, int id);
};

}  // namespace kv::ui
