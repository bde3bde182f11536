#pragma once
// The version record of an executable: the counterpart of a version resource.

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kv::platform {

using VersionRecord = std::vector<std::pair<std::string, std::string>>;

// The name/value pairs of the executable's version record; nullopt when the file
// cannot be read or carries no record.
std::optional<VersionRecord> ReadVersionRecord(const std::filesystem::path& file);

}  // namespace kv::platform
