#pragma once
// Small helpers for tests of the ZIP reader.

#include <cstdlib>
#include <optional>
#include <string>

#include "install/zip/Unzip.h"

namespace kv::test {

// An archive opened from `bytes` (which must outlive it), closed at scope end.
class OpenArchive {
 public:
  explicit OpenArchive(const std::string& bytes)
      : handle_(zip::UnzipOpenMemory(bytes.data(), bytes.size())) {}
  ~OpenArchive() {
    if (handle_ != nullptr) {
      zip::UnzipClose(handle_);
    }
  }
  OpenArchive(const OpenArchive&) = delete;
  OpenArchive& operator=(const OpenArchive&) = delete;

  zip::HZIP get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  zip::HZIP handle_;
};

// Sets TZ for the scope of a test; local-time conversions follow it.
class TimeZoneGuard {
 public:
  explicit TimeZoneGuard(const char* zone) {
    if (const char* old = std::getenv("TZ")) {
      old_ = old;
    }
    ::setenv("TZ", zone, 1);
  }
  ~TimeZoneGuard() {
    if (old_) {
      ::setenv("TZ", old_->c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
  }
  TimeZoneGuard(const TimeZoneGuard&) = delete;
  TimeZoneGuard& operator=(const TimeZoneGuard&) = delete;

 private:
  std::optional<std::string> old_;
};

// Seconds since 1970 UTC as the FILETIME value the reader reports.
inline std::uint64_t FileTimeOf(std::int64_t unixSeconds) {
  return static_cast<std::uint64_t>(unixSeconds + 11644473600LL) * 10000000ULL;
}

}  // namespace kv::test
