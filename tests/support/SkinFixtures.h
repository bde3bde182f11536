#pragma once
// Test fixtures for the skinned windows: PNG resources supplied by the test
// instead of the program's artwork.

#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "ui/PngImages.h"

namespace kv::test {

// The start of a PNG file: signature and IHDR chunk of an 8-bit RGBA image of
// the given size (enough for a decoder that reads the size only).
inline std::vector<std::uint8_t> PngHeader(int width, int height) {
  std::vector<std::uint8_t> bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                     0,    0,   0,   13,  'I',  'H',  'D',  'R'};
  for (int value : {width, height}) {
    for (int shift = 24; shift >= 0; shift -= 8) {
      bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> shift));
    }
  }
  bytes.insert(bytes.end(), {8, 6, 0, 0, 0, 0, 0, 0, 0});  // depth, RGBA, methods, CRC
  return bytes;
}

// While alive, PNG resources come from `images` (id -> file bytes); other ids
// are absent. Restores the program's resources afterwards.
class ScopedPngResources {
 public:
  explicit ScopedPngResources(std::map<int, std::vector<std::uint8_t>> images)
      : images_(std::move(images)) {
    ui::PngLibrary::Process().SetSource([this](int id) -> std::span<const std::uint8_t> {
      auto found = images_.find(id);
      if (found == images_.end()) {
        return {};
      }
      return found->second;
    });
  }
  ~ScopedPngResources() { ui::PngLibrary::Process().SetSource(nullptr); }
  ScopedPngResources(const ScopedPngResources&) = delete;
  ScopedPngResources& operator=(const ScopedPngResources&) = delete;

 private:
  std::map<int, std::vector<std::uint8_t>> images_;
};

}  // namespace kv::test
