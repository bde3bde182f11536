#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/Decimal.h"
#include "app/FileUtil.h"
#include "app/Settings.h"
#include "install/Registration.h"
#include "install/Setup.h"
#include "platform/Os.h"
#include "res/Resources.h"

namespace kv::install {

namespace {

bool EntryExists(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_directory(path, error);
}

void MakeFolders(const std::string& path) {
  std::error_code error;
  std::filesystem::create_directories(path, error);
}

bool IsSameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

// The desktop shortcut is made once; a user who deleted it gets it back, one
// who renamed it keeps the renamed one too. Without a desktop folder there is
// none to make.
void MakeDesktopShortcut(const InstallLayout& layout, const ShortcutNames& names,
                         const std::string& installed) {
  if (!IsFolder(layout.desktopFolder) ||
      EntryExists(layout.desktopFolder + "/" + names.desktopLinkFile)) {
    return;
  }
  CreateShellLink(installed, "1", layout.desktopFolder, names.desktopLinkFile, false);
}

// The menu shortcuts are written afresh on every run.
void MakeMenuShortcuts(const InstallLayout& layout, const ShortcutNames& names,
                       const std::string& installed) {
  const std::string menu = StartMenuFolder(layout, names);
  if (menu.empty()) {
    return;
  }
  MakeFolders(menu);
  CreateShellLink(installed, "1", menu, names.programLinkFile, false);
  CreateShellLink(installed, "-u", menu, names.uninstallLinkFile, true);
}

void InstallCopy(const InstallLayout& layout, const std::string& installed,
                 std::int32_t installedNumber, std::int32_t runningNumber) {
  if (!ShouldReplaceInstalledCopy(installedNumber, runningNumber)) {
    return;
  }
  // Started from the installed copy itself there is nothing to copy.
  if (!IsSameFile(layout.runningExecutable, installed)) {
    // Written beside the installed copy and renamed over it, so a copy that
    // is running keeps working and a failure leaves the old one whole.
    platform::ReplaceFileAtomically(layout.runningExecutable, installed);
  }
  const std::string settings = SettingsFileIn(layout.programFolder);
  if (app::ParseDecimal(app::ReadProfileString(settings, "Start", "firststart", "0")) != 0) {
    app::WriteProfileString(settings, "Start", "firststart", "0");
  }
}

}  // namespace

std::int32_t VersionNumberOf(const std::string& executable) {
  std::string digits = app::GetFileVersionText(executable);
  std::erase(digits, '.');
  return app::ParseDecimal(digits);
}

void RunFirstStartSetup() {
  RunFirstStartSetup(CurrentInstallLayout(), res::Find(res::Type::kZIP, kDefaultsArchiveId));
}

void RunFirstStartSetup(const InstallLayout& layout,
                        std::span<const std::uint8_t> defaultsArchive) {
  if (layout.programFolder.empty() || layout.runningExecutable.empty()) {
    return;
  }
  MakeFolders(layout.programFolder);
  UnpackDefaultFiles(layout.programFolder, defaultsArchive);

  const ShortcutNames names = LoadShortcutNames();
  const std::string installed = InstalledExecutable(layout);
  const UninstallValues values{installed, names.gameTitle, names.publisher, installed + " -u"};

  MakeDesktopShortcut(layout, names, installed);
  MakeMenuShortcuts(layout, names, installed);

  const std::int32_t installedNumber = VersionNumberOf(installed);
  const std::int32_t runningNumber = VersionNumberOf(layout.runningExecutable);

  CreateUninstallEntry(layout.uninstallEntryFile, values);
  UpdateProfileCopy(layout.profileFile, values);
  InstallCopy(layout, installed, installedNumber, runningNumber);
}

}  // namespace kv::install
