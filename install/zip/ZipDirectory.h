#pragma once
// The archive's directory: the end record, the central records of the members
// and the check of each member's local header against its central record.

#include <cstdint>
#include <optional>
#include <string>

#include "install/zip/ByteSource.h"

namespace kv::zip {

inline constexpr std::size_t kMaxNameBytes = 259;

struct ArchiveDirectory {
  int memberCount = 0;
  std::uint32_t size = 0;
  std::uint32_t offset = 0;
  // Bytes in the block before the archive proper; added to every position
  // taken from the archive's own fields.
  std::uint64_t prefixLength = 0;
};

struct CentralRecord {
  std::uint16_t versionMadeBy = 0;
  std::uint16_t versionNeeded = 0;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint32_t dosDateTime = 0;  // time in the low 16 bits, date in the high 16 bits
  std::uint32_t crc32 = 0;
  std::uint32_t compressedSize = 0;
  std::uint32_t size = 0;
  std::uint16_t nameLength = 0;
  std::uint16_t extraLength = 0;
  std::uint16_t commentLength = 0;
  std::uint16_t startDisk = 0;
  std::uint16_t internalAttributes = 0;
  std::uint32_t externalAttributes = 0;
  std::uint32_t localHeaderOffset = 0;
  std::string name;  // raw bytes, at most kMaxNameBytes
};

inline constexpr std::uint16_t kFlagEncrypted = 0x0001;
inline constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
inline constexpr std::uint16_t kMethodStored = 0;
inline constexpr std::uint16_t kMethodDeflated = 8;

// Finds and checks the end record; nothing when the block holds no archive.
std::optional<ArchiveDirectory> FindArchiveDirectory(const ByteSource& source);

// Walks the central records one after another.
class DirectoryCursor {
 public:
  DirectoryCursor(const ByteSource& source, const ArchiveDirectory& directory);

  // Moves to member `index` (0 <= index < member count); false when its
  // central record, or one before it, cannot be read.
  bool MoveTo(int index);
  const CentralRecord& record() const { return record_; }

 private:
  bool ReadRecordAt(std::uint64_t position);

  const ByteSource& source_;
  ArchiveDirectory directory_;
  int index_ = -1;  // -1: not on any member
  std::uint64_t position_ = 0;
  int firstUnreadable_;  // members from here on cannot be reached
  CentralRecord record_;
};

// Where a member's pieces lie, from its local header.
struct LocalLayout {
  std::uint64_t extraPosition = 0;
  std::uint16_t extraLength = 0;
  std::uint64_t dataPosition = 0;
};

// Reads the member's local header and checks it against its central record:
// same method, stored or deflated, and the same CRC-32 and sizes unless the
// local header defers them to a data descriptor (flag bit 3).
std::optional<LocalLayout> CheckLocalHeader(const ByteSource& source,
                                            const ArchiveDirectory& directory,
                                            const CentralRecord& record);

}  // namespace kv::zip
