#include "platform/FileTimes.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace kv::platform {

namespace {

timespec ToTimespec(const std::optional<FileTimePoint>& time) {
  timespec value{};
  if (!time) {
    value.tv_nsec = UTIME_OMIT;
    return value;
  }
  const auto sinceEpoch = time->time_since_epoch();
  auto seconds = std::chrono::floor<std::chrono::seconds>(sinceEpoch);
  value.tv_sec = static_cast<time_t>(seconds.count());
  value.tv_nsec = static_cast<long>((sinceEpoch - seconds).count());
  return value;
}

}  // namespace

bool SetFileTimes(const std::filesystem::path& file, std::optional<FileTimePoint> access,
                  std::optional<FileTimePoint> modification) {
  const timespec times[2] = {ToTimespec(access), ToTimespec(modification)};
  return ::utimensat(AT_FDCWD, file.c_str(), times, 0) == 0;
}

}  // namespace kv::platform
