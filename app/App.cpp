#include "app/App.h"

#include <cstdio>

#include "app/CommandLine.h"
#include "app/HandOver.h"
#include "app/Modes.h"
#include "platform/Gui.h"

namespace kv::app {

namespace {

constexpr int kNoDisplayExitCode = 1;

}  // namespace

bool CLorvik_Q7App::OpenDisplay() {
  if (gui_.Initialize()) {
    return true;
  }
  std::fputs(
      "korvane: cannot open the display; the launcher needs an X11 session (is DISPLAY set?)\n",
      stderr);
  return false;
}

int CLorvik_Q7App::InitInstance(const std::string& commandLine) {
  const LaunchRequest request = SelectLaunchMode(commandLine);
  switch (request.mode) {
    case LaunchMode::kUpdateHandOver:
      // Returns only when the installed copy could not be replaced; this
      // downloaded copy then runs as an ordinary launcher.
      RunUpdateHandOver(request.path);
      break;
    case LaunchMode::kUninstallConfirm:
      if (!OpenDisplay()) {
        return kNoDisplayExitCode;
      }
      RunUninstallConfirm(gui_, commandLine);
      return 0;
    case LaunchMode::kUninstallRemoval:
      RunUninstallRemoval(commandLine);
      return 0;
    case LaunchMode::kGameWindow:
      if (!OpenDisplay()) {
        return kNoDisplayExitCode;
      }
      return RunGameWindow(gui_, request.frameHandle, request.gameUrl);
    case LaunchMode::kOrdinary:
      break;
  }
  if (!OpenDisplay()) {
    return kNoDisplayExitCode;
  }
  return RunOrdinaryLauncher(gui_);
}

}  // namespace kv::app
