#pragma once
// The run log "update.log" in the program folder's res sub-folder: UTF-16LE
// lines without a byte-order mark, each ended by CR LF.

#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

namespace kv::app {

// Appends one dated line; 0 when it was written, -1 when not.
int WriteLog(std::string_view message);

// WriteLog into a given file, which is created when missing (its folder is not).
int AppendLogLine(const std::filesystem::path& logFile, std::string_view message);

// The line's text without CR LF: "%2d-%2d-%2d %2d:%2d:%2d : \tUpdateModule\t<message>".
// A null `local` (the local time could not be had) gives 0 for the date and -1 for the time.
std::string FormatLogLine(const std::tm* local, std::string_view message);

// Program folder + "res/update.log".
std::string GetRunLogPath();

}  // namespace kv::app
