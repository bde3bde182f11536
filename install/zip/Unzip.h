#pragma once
// A small read-only ZIP reader: opens an archive held in memory, describes its
// members and extracts them safely under a target folder.

#include <cstddef>
#include <cstdint>
#include <string>

namespace kv::zip {

using ZRESULT = std::uint32_t;

inline constexpr ZRESULT UZR_OK = 0x00000000;
inline constexpr ZRESULT UZR_NOFILE = 0x00000200;
inline constexpr ZRESULT UZR_WRITE = 0x00000400;
inline constexpr ZRESULT UZR_CORRUPT = 0x00000700;
inline constexpr ZRESULT UZR_READ = 0x00000800;
inline constexpr ZRESULT UZR_PASSWORD = 0x00001000;
inline constexpr ZRESULT UZR_ARGS = 0x00010000;
inline constexpr ZRESULT UZR_NOTREADER = 0x00080000;
inline constexpr ZRESULT UZR_INFLATE = 0x05000000;

// Result of the most recent call, whichever it was.
extern ZRESULT g_unzipLastResult;

// Member attribute bits, as the archive format records them.
inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrSystem = 0x04;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;

struct UnzipEntry {
  std::int32_t index = 0;  // the member's index, or the member count for index -1
  std::string name;        // UTF-8, made safe: never leads out of the target folder
  std::uint32_t attributes = 0;
  // 100-nanosecond intervals since 1601-01-01 UTC.
  std::uint64_t accessTime = 0;
  std::uint64_t creationTime = 0;
  std::uint64_t writeTime = 0;
  std::uint32_t compressedSize = 0;
  std::uint32_t size = 0;
};

struct UnzipHandle;
using HZIP = UnzipHandle*;

// The block must stay valid and unchanged until the handle is closed.
HZIP UnzipOpenMemory(const void* block, std::size_t length);
// Initially the current folder; an empty folder means the current folder again.
ZRESULT UnzipSetTargetFolder(HZIP zip, const std::string& folder);
// Index -1 asks for the member count, given in `entry->index`.
ZRESULT UnzipGetEntry(HZIP zip, int index, UnzipEntry* entry);
// Writes member `index` to `fileName` below the target folder; the name is made
// safe like member names, so even an absolute one lands below the target. The
// file is written under a temporary name and put in place only when its size
// and CRC-32 match, so a failure leaves what was there before. A read-only
// member becomes a file without write permission, and such a file is never
// replaced (UZR_NOFILE). Hidden, system and archive bits have no Linux
// counterpart and are not applied.
ZRESULT UnzipExtractFile(HZIP zip, int index, const std::string& fileName);
ZRESULT UnzipClose(HZIP zip);

}  // namespace kv::zip
