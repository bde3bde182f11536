#pragma once
// The uninstall entry "VexaKorvane" and its per-user profile copy: four values,
// "Path", "DisplayName", "Publisher" and "UninstallString", always in that order.

#include <string>

namespace kv::install {

struct UninstallValues {
  std::string path;             // the installed executable
  std::string displayName;      // the game title
  std::string publisher;        // string 125 ("" with the shipped table)
  std::string uninstallString;  // the installed executable + " -u"
};

// The machine-wide entry file: one [VexaKorvane] section with the four values,
// UTF-8, lines ended by '\n'.
std::string ComposeUninstallEntry(const UninstallValues& values);

// Creates the machine-wide entry `file` (and its folders) only when it does not
// exist yet; an existing entry keeps the values of the first installation.
// True when it was created now.
bool CreateUninstallEntry(const std::string& file, const UninstallValues& values);

// Rewrites the four values in section [VexaKorvane] of the per-user profile
// file when its "Path" (default "no find!") differs from `values.path`.
void UpdateProfileCopy(const std::string& profileFile, const UninstallValues& values);

}  // namespace kv::install
