#pragma once
// What the frame watcher of the game window needs besides the window system:
// its clock and the process exit. Tests replace both, so that a watcher that
// polls every second can be driven step by step without waiting.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace kv::gamewnd {

class WatchClock {
 public:
  virtual ~WatchClock() = default;
  // Blocks the watcher thread for `ms` milliseconds. Returns false, at once,
  // when Cancel was called before or during the wait.
  virtual bool Wait(int ms) = 0;
  // Cuts the current and every later Wait short (any thread): the dialog is
  // going away and its watcher must end.
  virtual void Cancel() = 0;
};

// The real clock: a condition variable with a timeout.
class SystemWatchClock final : public WatchClock {
 public:
  bool Wait(int ms) override;
  void Cancel() override;

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool cancelled_ = false;
};

struct FrameWatchServices {
  std::shared_ptr<WatchClock> clock;
  // Ends the process with `code` (the real one does not return).
  std::function<void(int code)> exitProcess;

  // SystemWatchClock and platform::ExitProcess.
  static FrameWatchServices System();
};

}  // namespace kv::gamewnd
