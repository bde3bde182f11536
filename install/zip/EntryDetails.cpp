#include "install/zip/EntryDetails.h"

#include <algorithm>
#include <ctime>

#include "install/zip/ByteSource.h"

namespace kv::zip {

namespace {

constexpr std::uint64_t kSecondsFrom1601To1970 = 11644473600ULL;
constexpr std::uint64_t kFileTimeUnitsPerSecond = 10000000ULL;

constexpr std::uint16_t kExtendedTimestampTag = 0x5455;  // the bytes "UT"
constexpr std::uint8_t kHasModification = 0x01;
constexpr std::uint8_t kHasAccess = 0x02;
constexpr std::uint8_t kHasCreation = 0x04;

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

std::uint32_t AttributesFromExternal(std::uint16_t versionMadeBy, std::uint32_t external) {
  const int host = versionMadeBy >> 8;
  if (host == 0 || host == 7 || host == 11 || host == 14) {
    return external & (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrDirectory | kAttrArchive);
  }
  constexpr std::uint32_t kUnixDirectory = 0x40000000;   // S_IFDIR << 16
  constexpr std::uint32_t kUnixOwnerWrite = 0x00800000;  // S_IWUSR << 16
  std::uint32_t attributes = kAttrArchive;
  if ((external & kUnixDirectory) != 0) {
    attributes |= kAttrDirectory;
  }
  if ((external & kUnixOwnerWrite) == 0) {
    attributes |= kAttrReadOnly;
  }
  return attributes;
}

std::uint64_t FileTimeFromDos(std::uint32_t dosDateTime) {
  const std::uint32_t date = dosDateTime >> 16;
  const std::uint32_t time = dosDateTime & 0xFFFF;
  const int year = static_cast<int>(date / 512) + 1980;
  const int month = static_cast<int>((date / 32) % 16);
  const int day = static_cast<int>(date % 32);
  const int hour = static_cast<int>(time / 2048);
  const int minute = static_cast<int>((time / 32) % 64);
  const int second = static_cast<int>((time % 32) * 2);
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
      minute > 59 || second > 59) {
    return 0;
  }
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;  // let the time zone rules decide
  const std::time_t utc = std::mktime(&local);
  if (utc == static_cast<std::time_t>(-1)) {
    return 0;
  }
  return FileTimeFromUnix(static_cast<std::int64_t>(utc));
}

std::uint64_t FileTimeFromUnix(std::int64_t seconds) {
  return static_cast<std::uint64_t>(seconds + static_cast<std::int64_t>(kSecondsFrom1601To1970)) *
         kFileTimeUnitsPerSecond;
}

void ApplyExtendedTimestamp(const unsigned char* extra, std::size_t length, UnzipEntry& entry) {
  std::size_t block = 0;
  while (length - block >= 5) {
    const std::uint16_t tag = ReadLe16(extra + block);
    const std::size_t dataSize = ReadLe16(extra + block + 2);
    if (tag != kExtendedTimestampTag) {
      block += 4 + dataSize;
      if (block > length) {
        return;
      }
      continue;
    }
    // Times are read only where both the block and the field hold them.
    const std::size_t dataEnd = std::min(block + 4 + dataSize, length);
    const std::uint8_t flags = extra[block + 4];
    std::size_t at = block + 5;
    const auto take = [&](std::uint8_t flag, std::uint64_t& field) {
      if ((flags & flag) == 0) {
        return;
      }
      if (at <= dataEnd && dataEnd - at >= 4) {
        const auto seconds = static_cast<std::int32_t>(ReadLe32(extra + at));
        field = FileTimeFromUnix(seconds);
      }
      at += 4;
    };
    take(kHasModification, entry.writeTime);
    take(kHasAccess, entry.accessTime);
    take(kHasCreation, entry.creationTime);
    return;
  }
}

}  // namespace kv::zip
