#pragma once
// Entry points of the process roles chosen at start-up.

#include <cstdint>
#include <string>

namespace kv::platform {
class Gui;
}

namespace kv::app {

// Ordinary launcher: login, then the main window until it ends. Returns the exit code.
int RunOrdinaryLauncher(platform::Gui& gui);

// Game window inside the frame window `frame` (an X11 window id). Returns the exit code.
int RunGameWindow(platform::Gui& gui, std::int64_t frame, const std::string& url);

// The two uninstall stages, each given the raw command line.
void RunUninstallConfirm(platform::Gui& gui, const std::string& commandLine);
void RunUninstallRemoval(const std::string& commandLine);

}  // namespace kv::app
