#include <filesystem>

#include "install/DesktopEntry.h"
#include "install/Setup.h"
#include "platform/Os.h"

namespace kv::install {

namespace {

// Desktops start only launchers that are executable (and, on some, marked trusted).
constexpr unsigned kLinkMode = 0755;

}  // namespace

bool CreateShellLink(const std::string& target, const std::string& arguments,
                     const std::string& folder, const std::string& linkFileName,
                     bool useUninstallIcon) {
  if (folder.empty() || linkFileName.empty()) {
    return false;
  }
  DesktopShortcut shortcut;
  shortcut.name = std::filesystem::path(linkFileName).stem().string();
  shortcut.program = target;
  shortcut.arguments = arguments;
  // A program file carries no icon of its own here, so only the uninstall
  // shortcut names one; the others show the desktop's default.
  if (useUninstallIcon) {
    shortcut.iconPath = std::filesystem::path(target).parent_path().string() + "/res/uninstall.ico";
  }
  return platform::WriteFileAtomically(folder + "/" + linkFileName, ComposeDesktopEntry(shortcut),
                                       kLinkMode);
}

}  // namespace kv::install
