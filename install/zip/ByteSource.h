#pragma once
// Bounds-checked access to the memory block an archive is read from.

#include <cstddef>
#include <cstdint>

namespace kv::zip {

class ByteSource {
 public:
  ByteSource(const void* data, std::size_t size)
      : data_(static_cast<const unsigned char*>(data)), size_(size) {}

  std::size_t size() const { return size_; }

  // The `count` bytes at `position`, or nullptr unless all of them lie inside
  // the block. Positions come from archive fields, so they are 64-bit and
  // checked without overflow.
  const unsigned char* At(std::uint64_t position, std::uint64_t count) const {
    if (position > size_ || count > size_ - position) {
      return nullptr;
    }
    return data_ + position;
  }

 private:
  const unsigned char* data_;
  std::size_t size_;
};

inline std::uint16_t ReadLe16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t ReadLe32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace kv::zip
