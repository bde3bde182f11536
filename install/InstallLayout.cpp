#include "install/InstallLayout.h"

#include <filesystem>

#include "app/Paths.h"
#include "platform/Os.h"
#include "res/Resources.h"
#include "res/StringIds.h"

namespace kv::install {

namespace {

// The per-user root of the application's profile values, the same name on every platform.
constexpr const char* kProfileRoot = "应用程序向导生成的本地应用程序";
constexpr const char* kApplicationName = "korvane";
constexpr const char* kLinkExtension = ".desktop";

std::string WithoutFinalSlash(std::string folder) {
  while (folder.size() > 1 && folder.ends_with('/')) {
    folder.pop_back();
  }
  return folder;
}

}  // namespace

ShortcutNames LoadShortcutNames() {
  ShortcutNames names;
  names.gameTitle = res::LoadString(res::IDS_GAME_TITLE);
  names.menuFolder = res::LoadString(res::IDS_MENU_FOLDER);
  names.publisher = res::LoadString(res::IDS_PUBLISHER);
  names.uninstallTitle = res::LoadString(res::IDS_UNINSTALL_TITLE);
  names.desktopLinkFile = names.publisher + "《" + names.gameTitle + "》" + kLinkExtension;
  names.programLinkFile = names.gameTitle + kLinkExtension;
  names.uninstallLinkFile = names.uninstallTitle + kLinkExtension;
  return names;
}

InstallLayout CurrentInstallLayout() {
  InstallLayout layout;
  layout.programFolder = WithoutFinalSlash(app::GetProgramFolder());
  layout.runningExecutable = platform::ExecutablePath().string();
  layout.desktopFolder = WithoutFinalSlash(platform::DesktopFolder().string());
  layout.programsFolder = WithoutFinalSlash(platform::ProgramsMenuFolder().string());
  const std::filesystem::path machine = platform::MachineConfigFolder();
  layout.uninstallEntryFile =
      (machine / res::LoadString(res::IDS_PUBLISHER_FOLDER) / "uninstall" / kUninstallKeyName)
          .string();
  layout.profileFile =
      (platform::UserConfigHome() / kProfileRoot / kApplicationName / "profile.ini").string();
  return layout;
}

std::string InstalledExecutable(const InstallLayout& layout) {
  return layout.programFolder + "/" +
         std::filesystem::path(layout.runningExecutable).filename().string();
}

std::string StartMenuFolder(const InstallLayout& layout, const ShortcutNames& names) {
  if (layout.programsFolder.empty()) {
    return {};
  }
  return layout.programsFolder + "/" + names.menuFolder + "/" + names.gameTitle;
}

std::string SettingsFileIn(const std::string& programFolder) {
  return programFolder + "/" + res::LoadString(res::IDS_SETTINGS_FILE);
}

}  // namespace kv::install
