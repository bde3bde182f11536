#include "gamewnd/GameWndDlg.h"

#include <algorithm>
#include <utility>

#include "browser/MyHtmlView.h"
#include "mainwnd/MainWindowIds.h"

namespace kv::gamewnd {

using platform::Rect;

CGameWndDlg::CGameWndDlg(platform::Gui& gui, platform::NativeWindowId hFrameWnd,
                         std::string strGameUrl, FrameWatchServices watch)
    : m_gui(gui),
      m_watch(std::move(watch)),
      m_hFrameWnd(hFrameWnd),
      m_strGameUrl(std::move(strGameUrl)) {}

CGameWndDlg::~CGameWndDlg() {
  *m_alive = false;
  if (m_watcher.joinable()) {
    m_watch.clock->Cancel();
    m_watcher.join();
  }
  // The view before the window it lives in.
  m_pHtmlView.reset();
  m_pWindow.reset();
}

Rect CGameWndDlg::FrameArea(platform::Size frame, bool full) {
  Rect area{0, 0, frame.width, frame.height};
  if (!full) {
    area.y += mainwnd::kTitleStripHeight;
    area.height = std::max(0, area.height - mainwnd::kTitleStripHeight);
  }
  return area;
}

bool CGameWndDlg::OnInitDialog() {
  // Without its frame the dialog could not be made as its child, and a process
  // without a window would never end: refuse before anything exists.
  if (m_hFrameWnd == 0 || !m_gui.WindowExists(m_hFrameWnd)) {
    return false;
  }
  const auto frameSize = m_gui.WindowClientSize(m_hFrameWnd);
  if (!frameSize) {
    return false;
  }
  const Rect area = FrameArea(*frameSize, false);
  platform::WindowOptions options;
  options.kind = platform::WindowKind::kEmbedded;
  options.foreignParent = m_hFrameWnd;
  options.rect = area;
  m_pWindow = m_gui.MakeWindow(options, *this);
  if (!m_pWindow) {
    return false;
  }

  m_pHtmlView = std::make_unique<browser::CMyHtmlView>(m_gui);
  m_pHtmlView->Create("MyWebBrowser", Rect{}, *m_pWindow, IDC_GAME_HTML_VIEW);
  m_pHtmlView->Navigate(m_strGameUrl);

  m_pWindow->Place(area);
  FitViewToClient();
  m_gui.SendWindowMessage(m_hFrameWnd, mainwnd::WM_GAMEWND_CREATED, m_pWindow->Handle());

  m_pFrameProbe = m_gui.MakeWindowProbe();
  m_watcher = std::thread(&CGameWndDlg::WatchFrameThreadProc, this);
  return true;
}

int CGameWndDlg::DoModal() {
  if (!OnInitDialog()) {
    return -1;
  }
  m_pWindow->Show();
  if (!m_bClosed) {
    m_gui.RunMainLoop();
  }
  return 0;
}

void CGameWndDlg::WatchFrameThreadProc(CGameWndDlg* dialog) {
  WatchClock& clock = *dialog->m_watch.clock;
  while (dialog->m_pFrameProbe->WindowExists(dialog->m_hFrameWnd)) {
    if (!clock.Wait(kFrameWatchIntervalMs)) {
      return;  // the dialog is going away by itself
    }
  }
  std::weak_ptr<bool> alive = dialog->m_alive;
  dialog->m_gui.RunOnUiThread([dialog, alive] {
    const auto stillAlive = alive.lock();
    if (stillAlive && *stillAlive) {
      dialog->OnClose();
    }
  });
  // The closed dialog ends the event loop and the process normally, which
  // cancels this wait; a dialog that does not get there is not waited for.
  if (!clock.Wait(kFrameWatchIntervalMs)) {
    return;
  }
  dialog->m_watch.exitProcess(0);
}

void CGameWndDlg::OnRefresh() {
  if (m_pHtmlView) {
    m_pHtmlView->Refresh();
  }
}

void CGameWndDlg::OnRelayout(std::int64_t full) {
  if (m_hFrameWnd == 0 || !m_pWindow) {
    return;
  }
  m_bCoverFrame = full != 0;
  const auto frameSize = m_gui.WindowClientSize(m_hFrameWnd);
  if (!frameSize) {
    return;  // the frame is going; the watcher sees to the rest
  }
  PlaceInFrame(*frameSize, m_bCoverFrame);
  if (!m_pWindow->IsVisible()) {
    m_pWindow->Show();
  }
}

void CGameWndDlg::OnParentSizeChanged(const platform::Size& size) {
  if (!m_bClosed && m_pWindow) {
    PlaceInFrame(size, m_bCoverFrame);
  }
}

void CGameWndDlg::PlaceInFrame(platform::Size frame, bool full) {
  m_pWindow->Place(FrameArea(frame, full));
  FitViewToClient();
}

void CGameWndDlg::OnClose() {
  if (m_bClosed) {
    return;
  }
  m_bClosed = true;
  m_pHtmlView.reset();
  m_gui.QuitMainLoop();
}

void CGameWndDlg::FitViewToClient() {
  if (m_pHtmlView && m_pWindow) {
    const platform::Size client = m_pWindow->ClientSize();
    m_pHtmlView->MoveWindow(0, 0, client.width, client.height, false);
  }
}

// Esc and Enter, like every other key, go to the page: nothing here closes the
// dialog or presses anything.
bool CGameWndDlg::OnKeyDown(int, int) {
  return false;
}

void CGameWndDlg::OnGeometryChanged(const Rect&) {
  FitViewToClient();
}

void CGameWndDlg::OnMessage(int message, std::int64_t param) {
  if (m_bClosed) {
    return;
  }
  switch (message) {
    case mainwnd::WM_GAMEWND_REFRESH:
      OnRefresh();
      break;
    case mainwnd::WM_GAMEWND_RELAYOUT:
      OnRelayout(param);
      break;
    case mainwnd::WM_GAMEWND_CLOSE:
      OnClose();
      break;
    default:
      break;
  }
}

}  // namespace kv::gamewnd
