#include "app/RunLog.h"

#include <cstdio>

#include "app/Paths.h"
#include "app/Text.h"
#include "platform/Clock.h"
#include "platform/Os.h"

namespace kv::app {

std::string FormatLogLine(const std::tm* local, std::string_view message) {
  // Wide enough that no field of a std::tm can overflow while being adjusted.
  long long fields[6] = {0, 0, 0, -1, -1, -1};
  if (local != nullptr) {
    fields[0] = local->tm_year + 1900LL;
    fields[1] = local->tm_mon + 1LL;
    fields[2] = local->tm_mday;
    fields[3] = local->tm_hour;
    fields[4] = local->tm_min;
    fields[5] = local->tm_sec;
  }
  char stamp[160];
  std::snprintf(stamp, sizeof stamp, "%2lld-%2lld-%2lld %2lld:%2lld:%2lld : \t", fields[0],
                fields[1], fields[2], fields[3], fields[4], fields[5]);
  std::string line = stamp;
  line += "UpdateModule\t";
  line += message;
  return line;
}

std::string GetRunLogPath() {
  return GetProgramFolder() + "res/update.log";
}

int AppendLogLine(const std::filesystem::path& logFile, std::string_view message) {
  std::tm local{};
  const bool haveTime = platform::LocalTimeNow(local);
  const std::u16string line =
      Utf8ToUtf16(FormatLogLine(haveTime ? &local : nullptr, message)) + u"\r\n";

  std::string bytes;
  bytes.reserve(line.size() * 2);
  for (char16_t unit : line) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return platform::AppendExclusive(logFile, bytes) ? 0 : -1;
}

int WriteLog(std::string_view message) {
  return AppendLogLine(GetRunLogPath(), message);
}

}  // namespace kv::app
