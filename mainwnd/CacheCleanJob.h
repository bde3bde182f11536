#pragma once
// One clearing of the browser cache as its worker thread sees it: the folder
// to clean, where traces go, and the hand-over of work to the user-interface
// thread (the web engine and the windows live there) with a wait for it to be
// done. The main window cancels the job when it goes before the worker does,
// which releases the worker from any wait.

#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>

#include "mainwnd/CacheClearing.h"
#include "platform/Gui.h"

namespace kv::mainwnd {

class CacheCleanJob : public std::enable_shared_from_this<CacheCleanJob> {
 public:
  using Done = std::function<void()>;
  // Runs on the user-interface thread and calls `done` when its work is over,
  // at once or later (from a callback), on the user-interface thread.
  using UiTask = std::function<void(Done done)>;

  CacheCleanJob(platform::Gui& gui, std::filesystem::path cacheFolder, TraceSink trace);
  CacheCleanJob(const CacheCleanJob&) = delete;
  CacheCleanJob& operator=(const CacheCleanJob&) = delete;

  platform::Gui& Gui() const { return m_gui; }
  // Empty when the web engine names no disk-cache folder.
  const std::filesystem::path& CacheFolder() const { return m_cacheFolder; }
  // Callable from any thread.
  void Trace(std::string_view line) const;

  // Worker thread: runs `task` on the user-interface thread and waits until it
  // is done. False, without waiting (longer), once the job is cancelled; a task
  // that had not started by then never starts.
  bool RunOnUiThreadAndWait(UiTask task);

  // User-interface thread.
  void Cancel();
  bool Cancelled() const;

  // The worker's body has returned: joining its thread does not block.
  void MarkFinished();
  bool Finished() const;

 private:
  struct Call {
    bool done = false;
  };
  void Complete(const std::shared_ptr<Call>& call);

  platform::Gui& m_gui;
  const std::filesystem::path m_cacheFolder;
  const TraceSink m_trace;
  mutable std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_cancelled = false;
  bool m_finished = false;
};

}  // namespace kv::mainwnd
