#pragma once
// What the main window asks of the operating system when it ends or restarts
// the launcher, and where its debug trace goes. Tests replace these to see the
// order of events.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace kv::mainwnd {

struct ProcessServices {
  std::function<std::filesystem::path()> executablePath;
  // Starts `program` with the raw command line `commandLine`; the result is ignored.
  std::function<bool(const std::filesystem::path& program, const std::string& commandLine)>
      startProcess;
  // Blocks the calling (user-interface) thread.
  std::function<void(int milliseconds)> sleep;
  // Writes one debug trace line; called from worker threads too.
  std::function<void(std::string_view line)> debugTrace;

  // The real ones: platform::ExecutablePath, platform::StartProcess, a thread
  // sleep, platform::DebugTrace.
  static ProcessServices System();
};

}  // namespace kv::mainwnd
