// Reads the ".kvversion" section of an ELF executable (see kv_attach_version in
// cmake/EmbedResources.cmake for its layout). Every offset read from the file is
// checked against the file size, so a damaged or hostile file only yields nullopt.

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string_view>

#include "platform/VersionRecord.h"

namespace kv::platform {

namespace {

constexpr std::string_view kSectionName = ".kvversion";
constexpr std::string_view kMagic = std::string_view("KVVERSION1\0", 11);
constexpr std::uint64_t kMaxRecordSize = 64 * 1024;
constexpr std::uint16_t kMaxEntrySize = 256;

template <typename T>
T Load(const char* p) {
  T value;
  std::memcpy(&value, p, sizeof value);
  return value;  // ELF files of this platform are little-endian, like the host
}

class Reader {
 public:
  explicit Reader(const std::filesystem::path& file) : in_(file, std::ios::binary) {
    // A stream whose size cannot be had (tellg fails) reads as empty.
    if (in_) {
      in_.seekg(0, std::ios::end);
      const std::streamoff end = in_.tellg();
      size_ = end > 0 ? static_cast<std::uint64_t>(end) : 0;
    }
  }
  bool Read(std::uint64_t offset, std::uint64_t length, std::string& out) {
    if (!in_ || offset > size_ || length > size_ - offset) {
      return false;
    }
    out.resize(length);
    in_.seekg(static_cast<std::streamoff>(offset));
    return static_cast<bool>(in_.read(out.data(), static_cast<std::streamsize>(length)));
  }

 private:
  std::ifstream in_;
  std::uint64_t size_ = 0;
};

std::optional<VersionRecord> ParseRecord(std::string_view data) {
  if (!data.starts_with(kMagic)) {
    return std::nullopt;
  }
  data.remove_prefix(kMagic.size());
  VersionRecord record;
  while (!data.empty() && data.front() != '\0') {
    std::size_t nameEnd = data.find('\0');
    if (nameEnd == std::string_view::npos) {
      break;
    }
    std::size_t valueEnd = data.find('\0', nameEnd + 1);
    if (valueEnd == std::string_view::npos) {
      break;
    }
    record.emplace_back(std::string(data.substr(0, nameEnd)),
                        std::string(data.substr(nameEnd + 1, valueEnd - nameEnd - 1)));
    data.remove_prefix(valueEnd + 1);
  }
  return record;
}

}  // namespace

std::optional<VersionRecord> ReadVersionRecord(const std::filesystem::path& file) {
  Reader reader(file);
  std::string header;
  if (!reader.Read(0, 64, header) || header.compare(0, 4, "\177ELF") != 0 ||
      header[4] != 2 /* 64-bit */ || header[5] != 1 /* little-endian */) {
    return std::nullopt;
  }
  const auto sectionTable = Load<std::uint64_t>(&header[0x28]);
  const auto entrySize = Load<std::uint16_t>(&header[0x3A]);
  const auto count = Load<std::uint16_t>(&header[0x3C]);
  const auto namesIndex = Load<std::uint16_t>(&header[0x3E]);
  // Real section headers are 64 bytes; the upper bound keeps a forged header of
  // a large file from making the table read below allocate most of the file.
  if (entrySize < 64 || entrySize > kMaxEntrySize || namesIndex >= count) {
    return std::nullopt;
  }
  std::string sections;
  if (!reader.Read(sectionTable, std::uint64_t{entrySize} * count, sections)) {
    return std::nullopt;
  }
  auto field = [&](std::size_t index, std::size_t at) {
    return Load<std::uint64_t>(&sections[index * entrySize + at]);
  };
  auto nameOffset = [&](std::size_t index) {
    return Load<std::uint32_t>(&sections[index * entrySize]);
  };
  std::string names;
  const std::uint64_t namesSize = field(namesIndex, 0x20);
  if (namesSize > kMaxRecordSize * 64 || !reader.Read(field(namesIndex, 0x18), namesSize, names)) {
    return std::nullopt;
  }
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t at = nameOffset(i);
    if (at >= names.size() || std::string_view(names.c_str() + at) != kSectionName) {
      continue;
    }
    std::string data;
    const std::uint64_t size = field(i, 0x20);
    if (size > kMaxRecordSize || !reader.Read(field(i, 0x18), size, data)) {
      return std::nullopt;
    }
    return ParseRecord(data);
  }
  return std::nullopt;
}

}  // namespace kv::platform
