#pragma once
// Where the per-user installation puts things and what it calls them. The
// setup writes these files and the uninstall removal stage takes them away, so
// both build their names here.

#include <string>

namespace kv::install {

// Names from the string table.
struct ShortcutNames {
  std::string gameTitle;          // string 102
  std::string menuFolder;         // string 105
  std::string publisher;          // string 125, absent from the table: ""
  std::string uninstallTitle;     // string 109
  std::string desktopLinkFile;    // publisher + "《" + game title + "》.desktop"
  std::string programLinkFile;    // game title + ".desktop"
  std::string uninstallLinkFile;  // uninstall title + ".desktop"
};

ShortcutNames LoadShortcutNames();

// The folders and files of one installation. Everything is a full path
// without a final '/'; an empty folder means it could not be determined.
struct InstallLayout {
  std::string programFolder;      // <data home>/rozovizo_7/kovr
  std::string runningExecutable;  // the executable of this process
  std::string desktopFolder;      // the user's desktop folder
  std::string programsFolder;     // the applications menu folder, <data home>/applications
  std::string
      uninstallEntryFile;  // machine-wide: <first config dir>/rozovizo_7/uninstall/VexaKorvane
  std::string
      profileFile;  // per-user: <config home>/应用程序向导生成的本地应用程序/korvane/profile.ini
};

// The layout of the current user and process, from the XDG folders.
InstallLayout CurrentInstallLayout();

// Name of the uninstall entry and of the profile section holding its copy.
inline constexpr const char* kUninstallKeyName = "VexaKorvane";

// Program folder + "/" + the running executable's file name.
std::string InstalledExecutable(const InstallLayout& layout);

// The menu folder that holds the program and uninstall shortcuts:
// programs folder + "/" + menu folder + "/" + game title; "" without a programs folder.
std::string StartMenuFolder(const InstallLayout& layout, const ShortcutNames& names);

// The settings file of the installation in `programFolder`: the same file that
// the settings module reads when `programFolder` is the program folder.
std::string SettingsFileIn(const std::string& programFolder);

}  // namespace kv::install
