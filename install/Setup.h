#pragma once
// The per-user self-installation that every ordinary launch runs: program
// folder, default files, shortcuts, uninstall entry and profile copy, and the
// installed copy of the executable.

#include <cstdint>
#include <span>
#include <string>

#include "install/InstallLayout.h"

namespace kv::install {

// Resource number of the defaults archive (ZIP type): "systemset.ini" and "uninstall.ico".
inline constexpr int kDefaultsArchiveId = 269;

// The whole setup for the current user and process. Reports nothing; every
// step that fails is skipped.
void RunFirstStartSetup();
// The same in `layout`, with `defaultsArchive` as the defaults archive.
void RunFirstStartSetup(const InstallLayout& layout, std::span<const std::uint8_t> defaultsArchive);

// Unpacks the defaults archive (ZIP resource 269) into `programFolder` + "/res"
// unless [Setting] "start" of the installation's settings file is 1001, then
// writes that marker. `programFolder` has no final '/'.
void UnpackDefaultFiles(const std::string& programFolder);
void UnpackDefaultFiles(const std::string& programFolder,
                        std::span<const std::uint8_t> defaultsArchive);

// Writes the desktop entry `folder` + "/" + `linkFileName` that starts `target`
// with `arguments`, named after the link file without its extension. With
// `useUninstallIcon`, its icon is the target's folder + "/res/uninstall.ico".
// The file replaces any earlier one in one step and is executable, as
// desktops require of launchers they trust. False when it cannot be written.
bool CreateShellLink(const std::string& target, const std::string& arguments,
                     const std::string& folder, const std::string& linkFileName,
                     bool useUninstallIcon);

// "1.0.0.0" -> 1000: the file's version text without its dots, read as a
// decimal number; 0 for a missing file or one without version information.
std::int32_t VersionNumberOf(const std::string& executable);

// Whether the running executable is copied over the installed one: when the
// installed one has no version number or an older one.
inline bool ShouldReplaceInstalledCopy(std::int32_t installedNumber, std::int32_t runningNumber) {
  return installedNumber == 0 || installedNumber < runningNumber;
}

}  // namespace kv::install
