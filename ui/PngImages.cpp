#include "ui/PngImages.h"

#include "res/Resources.h"

namespace kv::ui {

PngLibrary& PngLibrary::Process() {
  static PngLibrary library;
  return library;
}

std::span<const std::uint8_t> PngLibrary::Bytes(int id) const {
  return source_ ? source_(id) : res::Find(res::Type::kPNG, id);
}

const platform::Image* PngLibrary::Image(platform::Gui& gui, int id) {
  auto found = images_.find(id);
  if (found != images_.end()) {
    return found->second.get();
  }
  std::span<const std::uint8_t> bytes = Bytes(id);
  std::unique_ptr<platform::Image> image = bytes.empty() ? nullptr : gui.DecodePng(bytes);
  const platform::Image* result = image.get();
  images_.emplace(id, std::move(image));
  return result;
}

void PngLibrary::SetSource(Source source) {
  source_ = std::move(source);
  for (auto& [id, image] : images_) {
    if (image) {
      retired_.push_back(std::move(image));
    }
  }
  images_.clear();
}

const platform::Image* LoadPngImage(platform::Gui& gui, int id) {
  return PngLibrary::Process().Image(gui, id);
}

bool CGdiPlusBitmapResource::LoadPng(platform::Gui& gui, int id) {
  Clear();
  std::span<const std::uint8_t> bytes = PngLibrary::Process().Bytes(id);
  if (bytes.empty()) {
    return false;
  }
  m_pGdiBitmap = gui.DecodePng(bytes);
  return m_pGdiBitmap != nullptr;
}

}  // namespace kv::ui
