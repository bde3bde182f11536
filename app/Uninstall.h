#pragma once
// The two uninstall stages and the removal helpers they use. The stages'
// entry points, given the raw command line, are declared in app/Modes.h.

#include <functional>
#include <string>

#include "install/InstallLayout.h"

namespace kv::platform {
class Gui;
}

namespace kv::app {

// Moves one file or folder (with its contents) to the user's trash without
// asking. False when nothing is at `path` or it cannot be trashed.
bool DeleteToRecycleBin(const std::string& path);

// Tells the desktop that `path` is gone and its folder changed.
void NotifyShellRemoved(const std::string& path);

// DeleteToRecycleBin, then NotifyShellRemoved when that succeeded.
bool RemovePath(const std::string& path);

// Caption and text of the confirmation question for the game `gameTitle`.
inline constexpr const char* kUninstallCaption = "卸载";
std::string UninstallQuestion(const std::string& gameTitle);

// What the confirmation stage works with.
struct ConfirmStage {
  // Shows the question; 2 means the user declined, anything else agrees.
  std::function<int(const std::string& caption, const std::string& text)> ask;
  // Starts `program` with the raw command line `commandLine`.
  std::function<bool(const std::string& program, const std::string& commandLine)> start;
  std::string ownPath;   // the running executable
  std::string dataHome;  // the per-user data folder; the copy goes to its "cache"
};

// The stage of this process: the skinned message box on `gui`, the running
// executable, the user's data home, and a real process start.
ConfirmStage ConfirmStageFor(platform::Gui& gui);

// Asks; unless declined, copies the running executable to the temporary copy
// (data home + "/cache/q7kovrtmpu.exe") and starts it with "-u " + own path.
// True when the removal stage was started.
bool ConfirmUninstall(const ConfirmStage& stage);

// What the removal stage does to files, apart from deciding which.
class RemovalActions {
 public:
  virtual ~RemovalActions() = default;
  // To the trash (shortcuts, the res folder, empty menu folders).
  virtual bool RemovePath(const std::string& path) = 0;
  // Permanently (the installed executable).
  virtual bool DeleteFile(const std::string& path) = 0;
};

// The installed executable named by a removal-stage command line ("-u " + path,
// the path taken whole from the fourth character), when it names an entry
// directly inside `programFolder`; "" for any other path, so that a stray
// command line cannot remove files of the user's. The result is the
// normalised path inside the program folder.
std::string InstalledExecutableToRemove(const std::string& commandLine,
                                        const std::string& programFolder);

// The removal stage: the three shortcuts to the trash; the installed
// executable deleted and the res folder trashed when the command line names
// the executable in the program folder; then the menu folders that became empty.
void RemoveInstallation(const install::InstallLayout& layout, const install::ShortcutNames& names,
                        const std::string& commandLine, RemovalActions& actions);

}  // namespace kv::app
