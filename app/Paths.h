#pragma once
// Per-user folders of the launcher.

#include <filesystem>
#include <string>

namespace kv::app {

// The program folder, "<XDG data home>/rozovizo_7/kovr/", always ending with one '/'.
// Computed on the first call and kept for the rest of the process.
std::string GetProgramFolder();

// The program-folder text for a given data home, as GetProgramFolder builds it.
std::string ComposeProgramFolder(const std::filesystem::path& dataHome);

// "<XDG data home>/cache", where update and uninstall copies are made.
std::filesystem::path GetCacheFolder();

}  // namespace kv::app
