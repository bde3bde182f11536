// The clear-cache button: the veil covers the main window while a worker
// thread clears the web engine's data and empties its disk-cache folder; the
// worker hands ID_CACHE_CLEARED back to the user-interface thread at the end.

#include <string>
#include <system_error>
#include <utility>

#include "mainwnd/CacheCleanJob.h"
#include "mainwnd/CacheClearing.h"
#include "mainwnd/Lorvik_Q7Dlg.h"
#include "ui/MenbanDlg.h"

namespace kv::mainwnd {

void CLorvik_Q7Dlg::OnClearCache() {
  JoinCacheWorkers(false);
  // Over the whole window, animating every 200 ms until the worker is done.
  if (m_pMenbanDlg) {
    m_pWindow->KillTimer(TIMER_VEIL_PAINTED);
    m_nVeilPaintChecks = 0;
    m_nVeilPaintsAtShow = m_pMenbanDlg->PaintCount();
    m_pMenbanDlg->ShowOver(m_pWindow->Geometry());
  }
  // Gui calls other than RunOnUiThread belong to this thread: the folder is
  // asked for here and handed to the worker.
  auto job = std::make_shared<CacheCleanJob>(m_gui, m_gui.WebCacheFolder(), m_process.debugTrace);
  try {
    std::thread worker([this, job] { CacheCleanThreadProc(job); });
    m_cacheWorkers.push_back({job, std::move(worker)});
  } catch (const std::system_error&) {
    // No thread to be had: nothing is cleared, and the veil must not stay.
    HideVeilNow();
  }
}

// Everything that touches the web engine or the windows is handed to the
// user-interface thread; the worker itself only reads and deletes files.
int CLorvik_Q7Dlg::CacheCleanThreadProc(const std::shared_ptr<CacheCleanJob>& job) {
  const TraceSink trace = [&job](std::string_view line) { job->Trace(line); };
  ClearUrlCache(
      job->CacheFolder(),
      [&job] {
        job->RunOnUiThreadAndWait([&gui = job->Gui()](const CacheCleanJob::Done& done) {
          gui.ClearWebData([done](bool) { done(); });
        });
      },
      trace);
  if (!job->CacheFolder().empty() && !job->Cancelled()) {
    const std::string folder = job->CacheFolder().string();
    trace(FormatTrace(kTraceCacheFolder, {folder}));
    CleanFolder(folder, trace);
  }
  // The job is cancelled before this window goes, so `this` is valid whenever
  // the task runs.
  job->RunOnUiThreadAndWait([this](const CacheCleanJob::Done& done) {
    OnCommand(ID_CACHE_CLEARED);
    done();
  });
  job->MarkFinished();
  return 0;
}

void CLorvik_Q7Dlg::JoinCacheWorkers(bool all) {
  for (auto it = m_cacheWorkers.begin(); it != m_cacheWorkers.end();) {
    if (all) {
      it->job->Cancel();
    } else if (!it->job->Finished()) {
      ++it;
      continue;
    }
    if (it->thread.joinable()) {
      it->thread.join();
    }
    it = m_cacheWorkers.erase(it);
  }
}

// The clearing may be over before the window system has drawn the veil even
// once, and a veil shown and hidden unpainted would flash up blank. So it goes
// right after its first paint, checked every 10 ms, or after 50 checks anyway.
void CLorvik_Q7Dlg::OnCacheCleared() {
  if (!m_pMenbanDlg) {
    return;
  }
  const bool painted = m_pMenbanDlg->PaintCount() != m_nVeilPaintsAtShow;
  if (!painted && m_nVeilPaintChecks < kVeilPaintChecks) {
    if (m_nVeilPaintChecks++ == 0) {
      m_pWindow->SetTimer(TIMER_VEIL_PAINTED, kVeilPaintCheckMs);
    }
    return;
  }
  HideVeilNow();
}

void CLorvik_Q7Dlg::HideVeilNow() {
  m_pWindow->KillTimer(TIMER_VEIL_PAINTED);
  m_nVeilPaintChecks = 0;
  if (m_pMenbanDlg) {
    m_pMenbanDlg->HideVeil();
  }
}

}  // namespace kv::mainwnd
