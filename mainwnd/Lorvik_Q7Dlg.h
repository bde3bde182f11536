#pragma once
// The launcher's main window: a frameless window with a 30-pixel title strip
// of skinned buttons above the game page, its own maximised, restored,
// minimised, hidden and fullscreen states, the exit and server-switch prompts,
// and the keeping of an attached game window of another process.
//
// The decisions live here; the window system is reached only through
// platform::Gui and platform::Window (docs/architecture.md, "Main window").

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "mainwnd/LoginStep.h"
#include "mainwnd/ProcessServices.h"
#include "mainwnd/TitleButtons.h"
#include "platform/Gui.h"
#include "ui/CommandTarget.h"

namespace kv::hotkey {
class CHotKeyTable;
}
namespace kv::ui {
class CTouchButton;
class CMenbanDlg;
}  // namespace kv::ui
namespace kv::browser {
class CMyHtmlView;
}

namespace kv::mainwnd {

class CacheCleanJob;

class CLorvik_Q7Dlg final : public platform::WindowEvents, public ui::CommandTarget {
 public:
  CLorvik_Q7Dlg(platform::Gui& gui, LoginStep& loginStep,
                ProcessServices process = ProcessServices::System());
  ~CLorvik_Q7Dlg() override;
  CLorvik_Q7Dlg(const CLorvik_Q7Dlg&) = delete;
  CLorvik_Q7Dlg& operator=(const CLorvik_Q7Dlg&) = delete;

  // Runs the start sequence, shows the window and runs the event loop until a
  // prompt ends the dialog. Returns the dialog's result (0), or -1 when the
  // window could not be made.
  int DoModal();

  // The start sequence alone (tests drive the window after it). False when the
  // window could not be made.
  bool OnInitDialog();

  // --- commands (control ids and the other command numbers)
  void OnCommand(int id) override;
  // The window's own system commands, each followed by its default processing.
  void OnSysCommand(int command);

  // --- operations the states, hotkeys and prompts are made of
  void OnMaximize();
  void OnRestore();
  void OnMinimize();
  // `fromButton` false is the fullscreen hotkey's form: m_bMinimizedByButton stays.
  void EnterFullScreen(bool fromButton = true);
  void LeaveFullScreen();
  void HideWindow();
  void OnRefresh();
  void ConfirmExit();
  void OnChooseServer();
  // Cache clearing: the veil over the window while a worker thread clears the
  // web engine's data and its disk cache; command ID_CACHE_CLEARED ends it.
  void OnClearCache();
  void OnCacheCleared();
  void CloseGameWindow();

  // --- global hotkeys
  // Refresh (F5), boss key and fullscreen, the last two from the settings file.
  void RegisterHotkeys();
  void OnHotKey(int id);

  void FitToWorkArea();
  void LayoutTitleButtons();
  void ShowTitleButtons(bool show);
  void PlaceContent(bool full);
  void InvalidateTitleStrip();

  // --- state, for the hotkeys and for tests
  bool FullScreen() const { return m_bFullScreen; }
  bool Maximized() const { return m_bMaximized; }
  bool MinimizedByButton() const { return m_bMinimizedByButton; }
  platform::NativeWindowId GameWindow() const { return m_hGameWnd; }
  const std::string& StartUrl() const { return m_strStartUrl; }
  // The place the window returns to when restored (screen coordinates).
  const platform::Rect& RestoredPlace() const { return m_rcRestored; }
  bool Ended() const { return m_bEnded; }
  platform::Window* Window() const { return m_pWindow.get(); }
  ui::CTouchButton* Button(int id) const;
  browser::CMyHtmlView* HtmlView() const { return m_pHtmlView.get(); }
  ui::CMenbanDlg* Veil() const { return m_pMenbanDlg.get(); }

  // --- platform::WindowEvents
  void OnPaint(platform::Painter& painter) override;
  void OnMouseDown(platform::MouseButton button, platform::Point at) override;
  void OnMouseUp(platform::MouseButton button, platform::Point at) override;
  void OnMouseMove(platform::Point at) override;
  void OnDoubleClick(platform::MouseButton button, platform::Point at) override;
  bool OnKeyDown(int key, int modifiers) override;
  void OnTimer(int id) override;
  void OnCloseRequest() override;
  void OnStateChanged(platform::WindowState state) override;
  void OnGeometryChanged(const platform::Rect& geometry) override;
  void OnMessage(int message, std::int64_t param) override;
  void OnHotkey(int id) override { OnHotKey(id); }

 private:
  void EndDialog(int result);
  // The work area, or the whole screen when the window system names none.
  platform::Rect UsableArea() const;
  // Zoomed: maximised or fullscreen, as the window manager reports it or as
  // this window asked for it (the window manager answers asynchronously).
  bool IsZoomed() const;
  void ShowMaximizeButton(bool maximizeShown);
  void DefaultSysCommand(int command);
  void OnSize();
  // The cache-clearing worker's body (on its own thread).
  int CacheCleanThreadProc(const std::shared_ptr<CacheCleanJob>& job);
  // Joins the workers that are done; with `all`, cancels and joins every one.
  void JoinCacheWorkers(bool all);
  void HideVeilNow();
  // Registers `id` for the hotkey text stored under `setting`; none when it is empty.
  void RegisterConfiguredHotkey(const hotkey::CHotKeyTable& table, int id, const char* setting);
  // Asks the prompt box; true when the user agreed (result 1).
  bool AskUser(const std::string& title, const std::string& text);

  platform::Gui& m_gui;
  LoginStep& m_loginStep;
  ProcessServices m_process;

  std::unique_ptr<platform::Window> m_pWindow;
  std::array<std::unique_ptr<ui::CTouchButton>, kTitleButtons.size()> m_buttons;
  bool m_bFullScreen = false;
  bool m_bMaximized = false;
  bool m_bMinimizedByButton = false;
  std::unique_ptr<ui::CMenbanDlg> m_pMenbanDlg;
  std::unique_ptr<browser::CMyHtmlView> m_pHtmlView;
  platform::NativeWindowId m_hGameWnd = 0;
  std::string m_strStartUrl;
  const platform::Image* m_pTitleLeft = nullptr;
  const platform::Image* m_pTitleMiddle = nullptr;
  const platform::Image* m_pTitleRight = nullptr;

  platform::Rect m_rcRestored;
  platform::Size m_lastClientSize;
  platform::WindowState m_lastState = platform::WindowState::kNormal;
  // A press on the strip that becomes a drag once the pointer moves this far.
  static constexpr int kDragThreshold = 4;
  bool m_bDragPending = false;
  platform::Point m_ptPress;
  struct CacheWorker {
    std::shared_ptr<CacheCleanJob> job;
    std::thread thread;
  };
  std::vector<CacheWorker> m_cacheWorkers;
  // The veil's paints when it was shown, and the checks made since the
  // clearing ended, while the veil waits to be painted before it goes.
  int m_nVeilPaintsAtShow = 0;
  int m_nVeilPaintChecks = 0;
  bool m_bEnded = false;
  bool m_bRunning = false;
  int m_nResult = 0;
};

}  // namespace kv::mainwnd
