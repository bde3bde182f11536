#include "mainwnd/Lorvik_Q7Dlg.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "browser/MyHtmlView.h"
#include "platform/Keys.h"
#include "res/Resources.h"
#include "res/StringIds.h"
#include "ui/CustomMessageBox.h"
#include "ui/MenbanDlg.h"
#include "ui/PngImages.h"
#include "ui/TouchButton.h"

namespace kv::mainwnd {

using platform::MouseButton;
using platform::Point;
using platform::Rect;
using platform::Size;
using platform::WindowState;

namespace {

constexpr char kExitTitle[] = "关闭提示";
constexpr char kExitTextFormat[] = "是否退出%s？";
constexpr char kServerTitle[] = "选服";
constexpr char kServerText[] = "您是否退出当前服务器，重新选择新服务器？";

// "%s" in `format` replaced by `caption`.
std::string FormatWithCaption(std::string_view format, const std::string& caption) {
  const auto at = format.find("%s");
  if (at == std::string_view::npos) {
    return std::string(format);
  }
  std::string text(format.substr(0, at));
  text += caption;
  text += format.substr(at + 2);
  return text;
}

std::size_t ButtonIndex(int id) {
  for (std::size_t i = 0; i < kTitleButtons.size(); ++i) {
    if (kTitleButtons[i].id == id) {
      return i;
    }
  }
  return kTitleButtons.size();
}

}  // namespace

CLorvik_Q7Dlg::CLorvik_Q7Dlg(platform::Gui& gui, LoginStep& loginStep, ProcessServices process)
    : m_gui(gui), m_loginStep(loginStep), m_process(std::move(process)) {}

CLorvik_Q7Dlg::~CLorvik_Q7Dlg() {
  // A worker still clearing the cache is released from its waits and joined
  // while everything it may reach still exists.
  JoinCacheWorkers(true);
  // Children before the window they live in.
  m_pMenbanDlg.reset();
  m_pHtmlView.reset();
  for (auto& button : m_buttons) {
    button.reset();
  }
  m_pWindow.reset();
}

int CLorvik_Q7Dlg::DoModal() {
  if (!OnInitDialog()) {
    return -1;
  }
  m_pWindow->Show();
  // The main window is the program's only window besides its own pop-ups (the
  // prompt box, the veil); a modal grab would only take input from the veil, so
  // the plain event loop runs it.
  if (!m_bEnded) {
    m_bRunning = true;
    m_gui.RunMainLoop();
    m_bRunning = false;
  }
  return m_nResult;
}

bool CLorvik_Q7Dlg::OnInitDialog() {
  m_bMinimizedByButton = false;

  // Frameless, 1000 x 700, captioned with string 107; not shown before the login ends.
  const Rect workArea = UsableArea();
  platform::WindowOptions options;
  options.kind = platform::WindowKind::kTopLevel;
  options.title = res::LoadString(res::IDS_CAPTION);
  options.rect = {workArea.x, workArea.y, kRestoredWidth, kRestoredHeight};
  m_pWindow = m_gui.MakeWindow(options, *this);
  if (!m_pWindow) {
    return false;
  }

  m_strStartUrl = m_loginStep.Run();

  for (std::size_t i = 0; i < kTitleButtons.size(); ++i) {
    const TitleButtonInfo& info = kTitleButtons[i];
    auto button = std::make_unique<ui::CTouchButton>(m_gui);
    button->Create(*m_pWindow, info.id, TitleButtonRect(info, kRestoredWidth), *this);
    button->SetStateImages(info.normalImage, info.hoverImage, info.pressedImage);
    if (!info.hint.empty()) {
      button->SetHintText(std::string(info.hint), true);
    }
    m_buttons[i] = std::move(button);
  }

  m_pTitleLeft = ui::LoadPngImage(m_gui, kPngTitleLeft);
  m_pTitleMiddle = ui::LoadPngImage(m_gui, kPngTitleMiddle);
  m_pTitleRight = ui::LoadPngImage(m_gui, kPngTitleRight);

  m_pHtmlView = std::make_unique<browser::CMyHtmlView>(m_gui);
  m_pHtmlView->Create("MyWebBrowser", Rect{}, *m_pWindow, IDC_HTML_VIEW);
  m_pHtmlView->Navigate(m_strStartUrl);

  // Centred: this is where the restored window sits until it is dragged.
  m_rcRestored = {workArea.x + (workArea.width - kRestoredWidth) / 2,
                  workArea.y + (workArea.height - kRestoredHeight) / 2, kRestoredWidth,
                  kRestoredHeight};
  m_pWindow->Place(m_rcRestored);

  OnSysCommand(SC_MAXIMIZE);
  m_bMaximized = true;
  FitToWorkArea();
  LayoutTitleButtons();
  ShowMaximizeButton(false);
  InvalidateTitleStrip();

  m_pMenbanDlg = std::make_unique<ui::CMenbanDlg>(m_gui);
  m_pMenbanDlg->Create(*m_pWindow);  // made hidden

  // The accelerator (F5 -> command 32778) is applied in OnKeyDown.
  // Hotkeys only now: none works while the login runs.
  RegisterHotkeys();
  return true;
}

// --- commands

void CLorvik_Q7Dlg::OnCommand(int id) {
  switch (id) {
    case IDCANCEL:
      if (!m_bEnded) {
        LeaveFullScreen();
      }
      break;
    case IDC_BTN_CLOSE:
      ConfirmExit();
      break;
    case IDC_BTN_MAXIMIZE:
      OnMaximize();
      break;
    case IDC_BTN_RESTORE:
      OnRestore();
      break;
    case IDC_BTN_MINIMIZE:
      OnMinimize();
      break;
    case IDC_BTN_FULLSCREEN:
      EnterFullScreen(true);
      break;
    case IDC_BTN_BOSSKEY:
      HideWindow();
      break;
    case IDC_BTN_SERVER:
      OnChooseServer();
      break;
    case IDC_BTN_REFRESH:
      OnRefresh();
      break;
    case IDC_BTN_CLEARCACHE:
      OnClearCache();
      break;
    case ID_CACHE_CLEARED:
      OnCacheCleared();
      break;
    case ID_ACCEL_REFRESH:  // F5 is taken from the page and does nothing here
    default:
      break;
  }
}

void CLorvik_Q7Dlg::OnSysCommand(int command) {
  if (command == SC_CLOSE) {
    ConfirmExit();
  } else if (command == SC_RESTORE && m_bMaximized) {
    m_pWindow->SetTimer(TIMER_REFIT, kRefitDelayMs, false);
  }
  DefaultSysCommand(command);
}

// How the system commands become window-manager requests:
// - SC_MAXIMIZE: the window manager's fullscreen state while m_bFullScreen is
//   set (only that state covers panels), else its maximised state; a minimised
//   window is brought back first. The caller then places the window itself.
// - SC_RESTORE: leaves minimised, maximised and fullscreen, and puts the window
//   back at its restored place (the window manager may remember another one).
// - SC_MINIMIZE: iconify.
// - SC_CLOSE: after the prompt, the close request becomes the cancel command.
void CLorvik_Q7Dlg::DefaultSysCommand(int command) {
  switch (command) {
    case SC_MAXIMIZE:
      if (m_pWindow->State() == WindowState::kMinimized) {
        m_pWindow->Restore();
      }
      if (m_bFullScreen) {
        m_pWindow->SetFullscreen(true);
      } else {
        if (m_pWindow->State() == WindowState::kFullscreen) {
          m_pWindow->SetFullscreen(false);
        }
        m_pWindow->Maximize();
      }
      break;
    case SC_RESTORE:
      m_pWindow->Restore();
      m_pWindow->Place(m_rcRestored);
      break;
    case SC_MINIMIZE:
      m_pWindow->Minimize();
      break;
    case SC_CLOSE:
      OnCommand(IDCANCEL);
      break;
    default:
      break;
  }
  // The window manager may report our own requests later (or not at all).
  m_lastState = m_pWindow->State();
}

// --- states

Rect CLorvik_Q7Dlg::UsableArea() const {
  const Rect area = m_gui.WorkArea();
  if (!area.IsEmpty()) {
    return area;
  }
  const Size screen = m_gui.ScreenSize();
  return {0, 0, screen.width, screen.height};
}

void CLorvik_Q7Dlg::FitToWorkArea() {
  m_pWindow->Place(UsableArea());
  PlaceContent(false);
  InvalidateTitleStrip();
}

void CLorvik_Q7Dlg::OnMaximize() {
  OnSysCommand(SC_MAXIMIZE);
  m_bMinimizedByButton = false;
  m_bMaximized = true;
  // Fitted before the buttons are laid out: the window manager maximises
  // asynchronously, so only the placement gives the new width at once.
  FitToWorkArea();
  LayoutTitleButtons();
  ShowMaximizeButton(false);
}

void CLorvik_Q7Dlg::OnRestore() {
  m_bMinimizedByButton = false;
  m_bMaximized = false;
  OnSysCommand(SC_RESTORE);
  LayoutTitleButtons();
  PlaceContent(false);
  ShowMaximizeButton(true);
  m_pWindow->Invalidate({0, 0, kRestoredWidth, kTitleStripHeight});
}

void CLorvik_Q7Dlg::OnMinimize() {
  m_bMinimizedByButton = true;
  OnSysCommand(SC_MINIMIZE);
}

void CLorvik_Q7Dlg::EnterFullScreen(bool fromButton) {
  if (fromButton) {
    m_bMinimizedByButton = false;
  }
  m_bFullScreen = true;
  OnSysCommand(SC_MAXIMIZE);
  const Size screen = m_gui.ScreenSize();
  m_pWindow->Place({0, 0, screen.width, screen.height});
  PlaceContent(true);
  ShowTitleButtons(false);
  m_pWindow->Invalidate();
}

void CLorvik_Q7Dlg::LeaveFullScreen() {
  if (!m_bFullScreen) {
    return;
  }
  m_bFullScreen = false;
  OnSysCommand(SC_MAXIMIZE);
  m_bMaximized = true;
  FitToWorkArea();
  LayoutTitleButtons();
  ShowTitleButtons(true);
  ShowMaximizeButton(false);
  InvalidateTitleStrip();
}

void CLorvik_Q7Dlg::HideWindow() {
  m_pWindow->Hide();
}

bool CLorvik_Q7Dlg::IsZoomed() const {
  return m_pWindow->IsZoomed() || m_bMaximized || m_bFullScreen;
}

// --- title strip

void CLorvik_Q7Dlg::LayoutTitleButtons() {
  const int width = m_pWindow->ClientSize().width;
  for (std::size_t i = 0; i < kTitleButtons.size(); ++i) {
    if (m_buttons[i]) {
      m_buttons[i]->SetWindowPos(TitleButtonRect(kTitleButtons[i], width));
    }
  }
}

void CLorvik_Q7Dlg::ShowTitleButtons(bool show) {
  for (auto& button : m_buttons) {
    if (button) {
      button->ShowWindow(show);
    }
  }
}

void CLorvik_Q7Dlg::ShowMaximizeButton(bool maximizeShown) {
  if (auto* maximize = Button(IDC_BTN_MAXIMIZE)) {
    maximize->ShowWindow(maximizeShown);
  }
  if (auto* restore = Button(IDC_BTN_RESTORE)) {
    restore->ShowWindow(!maximizeShown);
  }
}

ui::CTouchButton* CLorvik_Q7Dlg::Button(int id) const {
  const std::size_t index = ButtonIndex(id);
  return index < m_buttons.size() ? m_buttons[index].get() : nullptr;
}

void CLorvik_Q7Dlg::InvalidateTitleStrip() {
  m_pWindow->Invalidate({0, 0, m_pWindow->ClientSize().width, kTitleStripHeight});
}

// The strip: the left piece, the middle piece tiled up to the right piece, and
// the right piece flush with the right edge. Nothing when a piece is missing or
// in fullscreen; below the strip the page (or the game window) covers the area.
void CLorvik_Q7Dlg::OnPaint(platform::Painter& painter) {
  if (m_pTitleLeft == nullptr || m_pTitleMiddle == nullptr || m_pTitleRight == nullptr ||
      m_bFullScreen) {
    return;
  }
  const int width = m_pWindow->ClientSize().width;
  const int leftWidth = m_pTitleLeft->Width();
  const int rightWidth = m_pTitleRight->Width();
  const int middleWidth = width - leftWidth - rightWidth;
  const int rightX = width - rightWidth;
  painter.Save();
  painter.Clip({0, 0, width, kTitleStripHeight});
  painter.FillTexture(m_pTitleLeft, {0, 0, leftWidth, m_pTitleLeft->Height()}, {0, 0});
  if (middleWidth > 0) {
    painter.FillTexture(m_pTitleMiddle, {leftWidth, 0, middleWidth, m_pTitleMiddle->Height()},
                        {leftWidth, 0});
  }
  painter.FillTexture(m_pTitleRight, {rightX, 0, rightWidth, m_pTitleRight->Height()}, {rightX, 0});
  painter.Restore();
}

// --- content

void CLorvik_Q7Dlg::PlaceContent(bool full) {
  const Size client = m_pWindow->ClientSize();
  m_lastClientSize = client;
  const Rect area = full ? Rect{0, 0, client.width, client.height}
                         : Rect{0, kTitleStripHeight, client.width,
                                std::max(0, client.height - kTitleStripHeight)};
  if (m_pHtmlView) {
    m_pHtmlView->MoveWindow(area.x, area.y, area.width, area.height, false);
  }
  if (m_hGameWnd != 0) {
    m_gui.SendWindowMessage(m_hGameWnd, WM_GAMEWND_RELAYOUT, full ? 1 : 0);
  }
}

void CLorvik_Q7Dlg::OnRefresh() {
  if (m_hGameWnd != 0) {
    m_gui.SendWindowMessage(m_hGameWnd, WM_GAMEWND_REFRESH, 0);
  }
  if (m_pHtmlView) {
    m_pHtmlView->Refresh();
  }
}

// --- prompts

bool CLorvik_Q7Dlg::AskUser(const std::string& title, const std::string& text) {
  ui::CCustomMessageBox box(m_gui, m_pWindow.get());
  box.SetTexts(title, text);
  return box.DoModal() == 1;
}

void CLorvik_Q7Dlg::ConfirmExit() {
  const std::string text = FormatWithCaption(kExitTextFormat, res::LoadString(res::IDS_CAPTION));
  if (AskUser(kExitTitle, text)) {
    CloseGameWindow();
    EndDialog(0);
  }
}

void CLorvik_Q7Dlg::OnChooseServer() {
  if (!AskUser(kServerTitle, kServerText)) {
    return;
  }
  HideWindow();
  CloseGameWindow();
  // The new launcher starts before this one ends; both run for a moment.
  m_process.startProcess(m_process.executablePath(), "");
  EndDialog(0);
}

void CLorvik_Q7Dlg::CloseGameWindow() {
  if (m_hGameWnd == 0) {
    return;
  }
  m_gui.SendWindowMessage(m_hGameWnd, WM_GAMEWND_CLOSE, 0);
  // Messages to another process are not waited for; the pause gives the game
  // window the time to close before this process goes.
  m_process.sleep(kGameWindowClosePauseMs);
}

void CLorvik_Q7Dlg::EndDialog(int result) {
  if (m_bEnded) {
    return;
  }
  m_bEnded = true;
  m_nResult = result;
  if (m_bRunning) {
    m_gui.QuitMainLoop();
  }
}

// --- window events

// A press on the strip drags the window, as a caption would; never while
// zoomed. The window manager takes the drag over once the pointer moves, so a
// click or a double click on the strip stays with this window.
void CLorvik_Q7Dlg::OnMouseDown(MouseButton button, Point at) {
  m_bDragPending = button == MouseButton::kLeft && !IsZoomed();
  m_ptPress = at;
}

void CLorvik_Q7Dlg::OnMouseMove(Point at) {
  if (!m_bDragPending) {
    return;
  }
  if (std::abs(at.x - m_ptPress.x) < kDragThreshold &&
      std::abs(at.y - m_ptPress.y) < kDragThreshold) {
    return;
  }
  m_bDragPending = false;
  if (!IsZoomed()) {
    m_pWindow->BeginMoveDrag();
  }
}

void CLorvik_Q7Dlg::OnMouseUp(MouseButton, Point) {
  m_bDragPending = false;
}

void CLorvik_Q7Dlg::OnDoubleClick(MouseButton button, Point) {
  m_bDragPending = false;
  if (button != MouseButton::kLeft || m_bFullScreen) {
    return;
  }
  if (IsZoomed()) {
    m_bMaximized = false;
    OnSysCommand(SC_RESTORE);
    LayoutTitleButtons();
    PlaceContent(false);
    ShowMaximizeButton(true);
    m_pWindow->Invalidate({0, 0, kRestoredWidth, kTitleStripHeight});
  } else {
    OnSysCommand(SC_MAXIMIZE);
    m_bMaximized = true;
    FitToWorkArea();
    LayoutTitleButtons();
    ShowMaximizeButton(false);
    InvalidateTitleStrip();
  }
}

// Enter and Esc go to the page as ordinary keys (they never close the window or
// press a button); F5 is taken by the accelerator and does nothing.
bool CLorvik_Q7Dlg::OnKeyDown(int key, int modifiers) {
  if (key == platform::kKeyReturn || key == platform::kKeyEscape) {
    return false;
  }
  if (key == platform::kKeyF5 && modifiers == 0) {
    OnCommand(ID_ACCEL_REFRESH);
    return true;
  }
  return false;
}

void CLorvik_Q7Dlg::OnTimer(int id) {
  if (id == TIMER_VEIL_PAINTED) {
    OnCacheCleared();
    return;
  }
  if (id != TIMER_REFIT) {
    return;
  }
  m_pWindow->KillTimer(TIMER_REFIT);
  if (m_bFullScreen) {
    // Back from the taskbar while fullscreen: cover the screen again rather
    // than leave a fullscreen window without strip at the work area's size.
    const Size screen = m_gui.ScreenSize();
    m_pWindow->Place({0, 0, screen.width, screen.height});
    PlaceContent(true);
    return;
  }
  FitToWorkArea();
}

void CLorvik_Q7Dlg::OnCloseRequest() {
  OnSysCommand(SC_CLOSE);
}

// A window brought back from minimised by the window manager (taskbar) is the
// counterpart of a restore system command: the launcher's maximised window
// comes back in the window manager's placement and is fitted again shortly after.
void CLorvik_Q7Dlg::OnStateChanged(WindowState state) {
  const WindowState previous = m_lastState;
  m_lastState = state;
  if (previous == WindowState::kMinimized && state != WindowState::kMinimized && m_bMaximized) {
    m_pWindow->SetTimer(TIMER_REFIT, kRefitDelayMs, false);
  }
}

void CLorvik_Q7Dlg::OnGeometryChanged(const Rect& geometry) {
  // Where a restored window was dragged to is where it comes back to.
  if (!m_bMaximized && !m_bFullScreen && m_pWindow->State() == WindowState::kNormal &&
      geometry.width == kRestoredWidth && geometry.height == kRestoredHeight) {
    m_rcRestored = geometry;
  }
  if (Size{geometry.width, geometry.height} != m_lastClientSize) {
    OnSize();
  }
}

void CLorvik_Q7Dlg::OnSize() {
  PlaceContent(m_bFullScreen);
  LayoutTitleButtons();
  InvalidateTitleStrip();
}

void CLorvik_Q7Dlg::OnMessage(int message, std::int64_t param) {
  if (message == WM_GAMEWND_CREATED) {
    m_hGameWnd = param;
  }
}

}  // namespace kv::mainwnd
