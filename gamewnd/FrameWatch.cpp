#include "gamewnd/FrameWatch.h"

#include <chrono>

#include "platform/Os.h"

namespace kv::gamewnd {

bool SystemWatchClock::Wait(int ms) {
  std::unique_lock lock(mutex_);
  return !wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return cancelled_; });
}

void SystemWatchClock::Cancel() {
  {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
  }
  wake_.notify_all();
}

FrameWatchServices FrameWatchServices::System() {
  FrameWatchServices services;
  services.clock = std::make_shared<SystemWatchClock>();
  services.exitProcess = [](int code) { platform::ExitProcess(code); };
  return services;
}

}  // namespace kv::gamewnd
