#include "mainwnd/CacheCleanJob.h"

#include <utility>

namespace kv::mainwnd {

CacheCleanJob::CacheCleanJob(platform::Gui& gui, std::filesystem::path cacheFolder, TraceSink trace)
    : m_gui(gui), m_cacheFolder(std::move(cacheFolder)), m_trace(std::move(trace)) {}

void CacheCleanJob::Trace(std::string_view line) const {
  if (m_trace) {
    m_trace(line);
  }
}

bool CacheCleanJob::RunOnUiThreadAndWait(UiTask task) {
  if (Cancelled()) {
    return false;
  }
  auto call = std::make_shared<Call>();
  // The task holds the job: it may run, or its work end, after the worker gave up waiting.
  m_gui.RunOnUiThread([self = shared_from_this(), call, task = std::move(task)] {
    if (self->Cancelled()) {
      return;
    }
    task([self, call] { self->Complete(call); });
  });
  std::unique_lock lock(m_mutex);
  m_changed.wait(lock, [&] { return call->done || m_cancelled; });
  return call->done;
}

void CacheCleanJob::Complete(const std::shared_ptr<Call>& call) {
  {
    std::lock_guard lock(m_mutex);
    call->done = true;
  }
  m_changed.notify_all();
}

void CacheCleanJob::Cancel() {
  {
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
  }
  m_changed.notify_all();
}

bool CacheCleanJob::Cancelled() const {
  std::lock_guard lock(m_mutex);
  return m_cancelled;
}

void CacheCleanJob::MarkFinished() {
  std::lock_guard lock(m_mutex);
  m_finished = true;
}

bool CacheCleanJob::Finished() const {
  std::lock_guard lock(m_mutex);
  return m_finished;
}

}  // namespace kv::mainwnd
