#include "install/zip/ZipDirectory.h"

#include <algorithm>

namespace kv::zip {

namespace {

constexpr std::uint32_t kEndSignature = 0x06054B50;
constexpr std::uint32_t kCentralSignature = 0x02014B50;
constexpr std::uint32_t kLocalSignature = 0x04034B50;
constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kCentralRecordSize = 46;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kMaxCommentLength = 65535;

// Position of the last end-record signature lying wholly within the last
// bytes of the block that an end record with the longest comment could
// occupy. (Searching only the last 65535 bytes would miss the record of an
// archive whose comment is 65535 bytes long.)
std::optional<std::uint64_t> FindEndSignature(const ByteSource& source) {
  const std::size_t length = source.size();
  const std::size_t searched = std::min(length, kMaxCommentLength + kEndRecordSize);
  if (searched < 4) {
    return std::nullopt;
  }
  const unsigned char* area = source.At(length - searched, searched);
  for (std::size_t i = searched - 4 + 1; i-- > 0;) {
    if (ReadLe32(area + i) == kEndSignature) {
      return length - searched + i;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<ArchiveDirectory> FindArchiveDirectory(const ByteSource& source) {
  const std::optional<std::uint64_t> position = FindEndSignature(source);
  if (!position) {
    return std::nullopt;
  }
  const unsigned char* end = source.At(*position, kEndRecordSize);
  if (end == nullptr) {
    return std::nullopt;
  }
  const std::uint16_t thisDisk = ReadLe16(end + 4);
  const std::uint16_t directoryDisk = ReadLe16(end + 6);
  const std::uint16_t entriesOnDisk = ReadLe16(end + 8);
  const std::uint16_t totalEntries = ReadLe16(end + 10);
  ArchiveDirectory directory;
  directory.size = ReadLe32(end + 12);
  directory.offset = ReadLe32(end + 16);
  const std::uint64_t directoryEnd = std::uint64_t{directory.offset} + directory.size;
  if (thisDisk != 0 || directoryDisk != 0 || entriesOnDisk != totalEntries ||
      *position < directoryEnd) {
    return std::nullopt;
  }
  directory.memberCount = totalEntries;
  directory.prefixLength = *position - directoryEnd;
  return directory;
}

DirectoryCursor::DirectoryCursor(const ByteSource& source, const ArchiveDirectory& directory)
    : source_(source), directory_(directory), firstUnreadable_(directory.memberCount) {}

bool DirectoryCursor::MoveTo(int index) {
  if (index < 0 || index >= firstUnreadable_) {
    return false;
  }
  if (index_ < 0 || index < index_) {
    index_ = -1;
    if (!ReadRecordAt(directory_.prefixLength + directory_.offset)) {
      firstUnreadable_ = 0;
      return false;
    }
    index_ = 0;
  }
  while (index_ < index) {
    const std::uint64_t next = position_ + kCentralRecordSize + record_.nameLength +
                               record_.extraLength + record_.commentLength;
    if (!ReadRecordAt(next)) {
      firstUnreadable_ = index_ + 1;
      index_ = -1;
      return false;
    }
    ++index_;
  }
  return true;
}

bool DirectoryCursor::ReadRecordAt(std::uint64_t position) {
  const unsigned char* p = source_.At(position, kCentralRecordSize);
  if (p == nullptr || ReadLe32(p) != kCentralSignature) {
    return false;
  }
  CentralRecord record;
  record.versionMadeBy = ReadLe16(p + 4);
  record.versionNeeded = ReadLe16(p + 6);
  record.flags = ReadLe16(p + 8);
  record.method = ReadLe16(p + 10);
  record.dosDateTime = ReadLe32(p + 12);
  record.crc32 = ReadLe32(p + 16);
  record.compressedSize = ReadLe32(p + 20);
  record.size = ReadLe32(p + 24);
  record.nameLength = ReadLe16(p + 28);
  record.extraLength = ReadLe16(p + 30);
  record.commentLength = ReadLe16(p + 32);
  record.startDisk = ReadLe16(p + 34);
  record.internalAttributes = ReadLe16(p + 36);
  record.externalAttributes = ReadLe32(p + 38);
  record.localHeaderOffset = ReadLe32(p + 42);
  const std::size_t kept = std::min<std::size_t>(record.nameLength, kMaxNameBytes);
  const unsigned char* name = source_.At(position + kCentralRecordSize, kept);
  if (name == nullptr) {
    return false;
  }
  record.name.assign(reinterpret_cast<const char*>(name), kept);
  record_ = std::move(record);
  position_ = position;
  return true;
}

std::optional<LocalLayout> CheckLocalHeader(const ByteSource& source,
                                            const ArchiveDirectory& directory,
                                            const CentralRecord& record) {
  const std::uint64_t position = directory.prefixLength + record.localHeaderOffset;
  const unsigned char* p = source.At(position, kLocalHeaderSize);
  if (p == nullptr || ReadLe32(p) != kLocalSignature) {
    return std::nullopt;
  }
  const std::uint16_t flags = ReadLe16(p + 6);
  const std::uint16_t method = ReadLe16(p + 8);
  if (method != record.method || (method != kMethodStored && method != kMethodDeflated)) {
    return std::nullopt;
  }
  if ((flags & kFlagDataDescriptor) == 0 &&
      (ReadLe32(p + 14) != record.crc32 || ReadLe32(p + 18) != record.compressedSize ||
       ReadLe32(p + 22) != record.size)) {
    return std::nullopt;
  }
  const std::uint16_t nameLength = ReadLe16(p + 26);
  LocalLayout layout;
  layout.extraLength = ReadLe16(p + 28);
  layout.extraPosition = position + kLocalHeaderSize + nameLength;
  layout.dataPosition = layout.extraPosition + layout.extraLength;
  return layout;
}

}  // namespace kv::zip
