#include "mainwnd/ProcessServices.h"

#include <chrono>
#include <thread>

#include "platform/Os.h"

namespace kv::mainwnd {

ProcessServices ProcessServices::System() {
  ProcessServices services;
  services.executablePath = [] { return platform::ExecutablePath(); };
  services.startProcess = [](const std::filesystem::path& program, const std::string& commandLine) {
    return platform::StartProcess(program, commandLine);
  };
  services.sleep = [](int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  };
  services.debugTrace = [](std::string_view line) { platform::DebugTrace(line); };
  return services;
}

}  // namespace kv::mainwnd
