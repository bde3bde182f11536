#pragma once
// Attributes and times of a member, from its central record and local extra field.

#include <cstddef>
#include <cstdint>

#include "install/zip/Unzip.h"

namespace kv::zip {

// The five attribute bits kept for a member. Archives made on hosts 0, 7, 11
// and 14 (MS-DOS, Macintosh, NTFS, VFAT) hold them in the low byte; the others
// hold a Unix mode in the high half.
std::uint32_t AttributesFromExternal(std::uint16_t versionMadeBy, std::uint32_t external);

// The DOS date-time (date in the high half) read as local time, as a FILETIME
// value; 0 when it is not a valid date and time.
std::uint64_t FileTimeFromDos(std::uint32_t dosDateTime);

// Seconds since 1970-01-01 UTC as a FILETIME value.
std::uint64_t FileTimeFromUnix(std::int64_t seconds);

// Takes the times present in the first extended-timestamp ("UT") block of a
// local extra field into `entry`.
void ApplyExtendedTimestamp(const unsigned char* extra, std::size_t length, UnzipEntry& entry);

}  // namespace kv::zip
