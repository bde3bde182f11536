#include "app/Uninstall.h"

#include <filesystem>
#include <system_error>

#include "app/Modes.h"
#include "platform/Os.h"
#include "res/Resources.h"
#include "res/StringIds.h"
#include "ui/CustomMessageBox.h"

namespace kv::app {

namespace {

constexpr int kDeclined = 2;

// Only a folder that can be listed and holds nothing is taken away; one that
// cannot be read may well hold something.
bool HoldsNothing(const std::string& folder) {
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error);
  return !error && it == std::filesystem::directory_iterator();
}

bool IsFileOrLink(const std::string& path) {
  std::error_code error;
  const auto status = std::filesystem::symlink_status(path, error);
  return !error &&
         (std::filesystem::is_regular_file(status) || std::filesystem::is_symlink(status));
}

class TrashAndDelete final : public RemovalActions {
 public:
  bool RemovePath(const std::string& path) override { return app::RemovePath(path); }
  bool DeleteFile(const std::string& path) override {
    std::error_code error;
    return std::filesystem::remove(path, error) && !error;
  }
};

}  // namespace

bool DeleteToRecycleBin(const std::string& path) {
  return !path.empty() && platform::MoveToTrash(path);
}

void NotifyShellRemoved(const std::string&) {
  // Nothing to send: file managers, desktops and menus watch their folders
  // (inotify through GIO) and see the removal by themselves.
}

bool RemovePath(const std::string& path) {
  if (!DeleteToRecycleBin(path)) {
    return false;
  }
  NotifyShellRemoved(path);
  return true;
}

std::string UninstallQuestion(const std::string& gameTitle) {
  return "您是否确认卸载《" + gameTitle + "》？";
}

bool ConfirmUninstall(const ConfirmStage& stage) {
  if (stage.ask(kUninstallCaption, UninstallQuestion(res::LoadString(res::IDS_GAME_TITLE))) ==
      kDeclined) {
    return false;
  }
  std::error_code error;
  std::filesystem::create_directory(stage.dataHome + "/cache", error);
  const std::string copy = stage.dataHome + res::LoadString(res::IDS_UNINSTALL_TEMP_NAME);
  // A copy that failed would leave whatever an earlier run put there: start
  // nothing rather than an unknown program.
  if (platform::ReplaceFileAtomically(stage.ownPath, copy) != 0) {
    return false;
  }
  return stage.start(copy, "-u " + stage.ownPath);
}

std::string InstalledExecutableToRemove(const std::string& commandLine,
                                        const std::string& programFolder) {
  if (commandLine.size() <= 3 || programFolder.empty()) {
    return {};
  }
  const std::filesystem::path path =
      std::filesystem::path(commandLine.substr(3)).lexically_normal();
  if (!path.is_absolute() || !path.has_filename() || path.filename() == "." ||
      path.filename() == "..") {
    return {};
  }
  std::error_code parentError;
  std::error_code folderError;
  const auto parent = std::filesystem::weakly_canonical(path.parent_path(), parentError);
  const auto folder = std::filesystem::weakly_canonical(programFolder, folderError);
  if (parentError || folderError || parent != folder) {
    return {};
  }
  return programFolder + "/" + path.filename().string();
}

void RemoveInstallation(const install::InstallLayout& layout, const install::ShortcutNames& names,
                        const std::string& commandLine, RemovalActions& actions) {
  if (!layout.desktopFolder.empty()) {
    actions.RemovePath(layout.desktopFolder + "/" + names.desktopLinkFile);
  }
  const std::string menu = install::StartMenuFolder(layout, names);
  if (!menu.empty()) {
    actions.RemovePath(menu + "/" + names.uninstallLinkFile);
    actions.RemovePath(menu + "/" + names.programLinkFile);
  }
  const std::string installed = InstalledExecutableToRemove(commandLine, layout.programFolder);
  if (!installed.empty()) {
    if (IsFileOrLink(installed)) {
      actions.DeleteFile(installed);
    }
    actions.RemovePath(layout.programFolder + "/res");
  }
  if (!menu.empty()) {
    if (HoldsNothing(menu)) {
      actions.RemovePath(menu);
    }
    const std::string menuParent = layout.programsFolder + "/" + names.menuFolder;
    if (HoldsNothing(menuParent)) {
      actions.RemovePath(menuParent);
    }
  }
}

ConfirmStage ConfirmStageFor(platform::Gui& gui) {
  ConfirmStage stage;
  stage.ask = [&gui](const std::string& caption, const std::string& text) {
    ui::CCustomMessageBox box(gui);
    box.SetTexts(caption, text);
    return box.DoModal();
  };
  stage.start = [](const std::string& program, const std::string& commandLine) {
    return platform::StartProcess(program, commandLine);
  };
  stage.ownPath = platform::ExecutablePath().string();
  stage.dataHome = platform::UserDataHome().string();
  while (stage.dataHome.size() > 1 && stage.dataHome.ends_with('/')) {
    stage.dataHome.pop_back();
  }
  return stage;
}

void RunUninstallConfirm(platform::Gui& gui, const std::string&) {
  ConfirmUninstall(ConfirmStageFor(gui));
}

void RunUninstallRemoval(const std::string& commandLine) {
  TrashAndDelete actions;
  RemoveInstallation(install::CurrentInstallLayout(), install::LoadShortcutNames(), commandLine,
                     actions);
}

}  // namespace kv::app
