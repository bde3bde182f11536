#pragma once
// The record behind an HZIP. Only reader handles exist; the tag lets every
// call refuse a pointer that is not one.

#include <cstdint>
#include <memory>

namespace kv::zip {

class ZipReader;

inline constexpr std::uint32_t kReaderHandleTag = 1;

struct UnzipHandle {
  std::uint32_t tag = kReaderHandleTag;
  std::unique_ptr<ZipReader> reader;
};

}  // namespace kv::zip
