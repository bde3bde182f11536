#include "app/RunLog.h"

#include <cstdio>

#include "app/Paths.h"
#include "app/Text.h"
#include "platform/Os.h"

namespace kv::app {

std::string FormatLogLine(const std::tm* local, std::string_view message) {
  int fields[6] = {0, 0, 0, -1, -1, -1};
  if (local != nullptr) {
    fields[0] = local->tm_year + 1900;
    fields[1] = local->tm_mon + 1;
    fields[2] = local->tm_mday;
    fields[3] = local->tm_hour;
    fields[4] = local->tm_min;
    fields[5] = local->tm_sec;
  }
  char stamp[96];
  std::snprintf(stamp, sizeof stamp, "%2d-%2d-%2d %2d:%2d:%2d : \t", fields[0], fields[1],
                fields[2], fields[3], fields[4], fields[5]);
  std::string line = stamp;
  line += "UpdateModule\t";
  line += message;
  return line;
}

std::string GetRunLogPath() { return GetProgramFolder() + "res/update.log"; }

int WriteLog(std::string_view message) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  const bool haveTime = now != static_cast<std::time_t>(-1) && localtime_r(&now, &local);
  const std::u16string line = Utf8ToUtf16(FormatLogLine(haveTime ? &local : nullptr, message)) + u"\r\n";

  std::string bytes;
  bytes.reserve(line.size() * 2);
  for (char16_t unit : line) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return platform::AppendExclusive(GetRunLogPath(), bytes) ? 0 : -1;
}

}  // namespace kv::app
