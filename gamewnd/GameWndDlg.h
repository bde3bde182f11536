#pragma once
// The game window: a borderless window of its own process that shows one web
// page inside another process's launcher frame, below the frame's 30-pixel
// title strip. It tells the frame its window id, then obeys the frame's
// messages (refresh, refit, close); a watcher thread ends the process when the
// frame window disappears without closing it.
//
// The decisions live here; the window system is reached only through
// platform::Gui and platform::Window (docs/architecture.md, "Game window").

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "gamewnd/FrameWatch.h"
#include "platform/Gui.h"

namespace kv::browser {
class CMyHtmlView;
}

namespace kv::gamewnd {

inline constexpr int IDC_GAME_HTML_VIEW = 10000;
// How often the watcher looks for the frame, and how long it gives the closed
// dialog before it ends the process itself.
inline constexpr int kFrameWatchIntervalMs = 1000;

class CGameWndDlg final : public platform::WindowEvents {
 public:
  CGameWndDlg(platform::Gui& gui, platform::NativeWindowId hFrameWnd, std::string strGameUrl,
              FrameWatchServices watch = FrameWatchServices::System());
  ~CGameWndDlg() override;
  CGameWndDlg(const CGameWndDlg&) = delete;
  CGameWndDlg& operator=(const CGameWndDlg&) = delete;

  // Creates the dialog inside the frame, places it below the frame's title
  // strip, creates the page view, tells the frame (3025) and starts the
  // watcher. False, with nothing made, when the frame id names no window.
  bool OnInitDialog();
  // OnInitDialog, then shows the dialog and runs the event loop until the
  // dialog closes. Returns 0, or -1 when the frame names no window.
  int DoModal();

  // --- what the frame's messages do
  void OnRefresh();
  // `full` 0: leave the frame's top 30 pixels free; anything else: cover it all.
  void OnRelayout(std::int64_t full);
  // Destroys the page view and ends the event loop; the window itself goes
  // with the process.
  void OnClose();

  // --- state, for tests
  platform::NativeWindowId FrameWindow() const { return m_hFrameWnd; }
  const std::string& GameUrl() const { return m_strGameUrl; }
  platform::Window* Window() const { return m_pWindow.get(); }
  browser::CMyHtmlView* HtmlView() const { return m_pHtmlView.get(); }
  bool Closed() const { return m_bClosed; }

  // --- platform::WindowEvents
  bool OnKeyDown(int key, int modifiers) override;
  void OnGeometryChanged(const platform::Rect& geometry) override;
  // The frame's messages are not waited for: the frame may ask for a refit
  // before its own window has its new size. Its later size changes keep the
  // dialog where the last refit put it (below the strip or over everything).
  void OnParentSizeChanged(const platform::Size& size) override;
  void OnMessage(int message, std::int64_t param) override;

 private:
  // The thread procedure of the watcher: polls the frame, closes the dialog
  // through the user-interface thread when it is gone, and ends the process a
  // moment later. Reads only what stays unchanged after OnInitDialog.
  static void WatchFrameThreadProc(CGameWndDlg* dialog);
  // A frame client area of `frame`, cut below its title strip unless `full`.
  static platform::Rect FrameArea(platform::Size frame, bool full);
  // Places the dialog at FrameArea and the view over the whole dialog.
  void PlaceInFrame(platform::Size frame, bool full);
  void FitViewToClient();

  platform::Gui& m_gui;
  FrameWatchServices m_watch;
  std::unique_ptr<platform::Window> m_pWindow;
  std::unique_ptr<browser::CMyHtmlView> m_pHtmlView;
  const platform::NativeWindowId m_hFrameWnd;
  const std::string m_strGameUrl;
  bool m_bClosed = false;
  // The last refit covered the whole frame (the frame is in fullscreen).
  bool m_bCoverFrame = false;

  std::unique_ptr<platform::WindowProbe> m_pFrameProbe;  // used by the watcher only
  std::thread m_watcher;
  // Cleared by the destructor (on the user-interface thread); the watcher's
  // close request checks it there before touching the dialog.
  std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace kv::gamewnd
