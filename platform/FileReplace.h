#pragma once
// Replacing a whole file so that readers (and a crash or power loss) see either
// the old contents or the new ones, never a mixture or a truncated file.

#include <filesystem>
#include <string_view>

namespace kv::platform {

// Writes `bytes` to a temporary file in the folder of `file`, flushes it to
// disk and renames it over `file`. An existing file keeps its permission bits;
// a symbolic link is followed, so its target is replaced. The folder is never
// created: false when it is missing or anything else fails, and then `file`
// is left as it was.
bool ReplaceFileContents(const std::filesystem::path& file, std::string_view bytes);

}  // namespace kv::platform
