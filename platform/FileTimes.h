#pragma once
// Setting a file's time stamps, which standard C++ can do only for the
// modification time.

#include <chrono>
#include <filesystem>
#include <optional>

namespace kv::platform {

using FileTimePoint = std::chrono::sys_time<std::chrono::nanoseconds>;

// Sets the last access and last modification times of `file`; a time left
// empty keeps its current value. Linux keeps no settable creation time.
bool SetFileTimes(const std::filesystem::path& file, std::optional<FileTimePoint> access,
                  std::optional<FileTimePoint> modification);

}  // namespace kv::platform
