#include "login/LorvikLogin.h"

#include <utility>

#include "app/FileUtil.h"
#include "platform/Os.h"
#include "res/Resources.h"
#include "res/StringIds.h"
#include "ui/PngImages.h"

namespace kv::login {

using platform::Rect;
using platform::WindowState;

CLorvikLogin::CLorvikLogin(platform::Gui& gui, LoginServices services)
    : m_gui(gui), m_services(std::move(services)) {}

CLorvikLogin::~CLorvikLogin() {
  m_pPopup.reset();
  m_pWindow.reset();
}

int CLorvikLogin::DoModal() {
  if (!OnInitDialog()) {
    return -1;
  }
  // Not Window::RunModal: its input grab would also shut out the pop-up, which
  // is a window of its own. Nothing else of the program is on screen yet, so
  // the plain event loop runs the dialog.
  if (!m_bEnded) {
    m_bRunning = true;
    m_gui.RunMainLoop();
    m_bRunning = false;
  }
  // The pop-up (with the page) goes with its owner.
  m_pPopup.reset();
  m_pWindow.reset();
  return m_nResult;
}

bool CLorvikLogin::OnInitDialog() {
  platform::WindowOptions options;
  options.kind = platform::WindowKind::kTopLevel;
  options.title = res::LoadString(res::IDS_CAPTION);
  options.rect = {0, 0, 1, 1};
  m_pWindow = m_gui.MakeWindow(options, *this);
  if (!m_pWindow) {
    return false;
  }

  // The pop-up, whose page starts loading, is made before the skin is decoded:
  // the web engine starts its processes meanwhile. Nothing shows before the
  // event loop runs, so the order cannot be seen.
  m_pPopup = std::make_unique<CLoginPopupDlg>(m_gui, m_services, this);
  if (!m_pPopup->Create(*m_pWindow)) {
    m_pPopup.reset();
  }

  ShowSkin();
  m_pWindow->SetTaskbarEntry(true);
  const Rect workArea = m_gui.WorkArea();
  m_pWindow->Place({workArea.x + (workArea.width - m_nSkinWidth) / 2,
                    workArea.y + (workArea.height - m_nSkinHeight) / 2, m_nSkinWidth,
                    m_nSkinHeight});
  m_pWindow->Show();
  if (m_pPopup) {
    m_pPopup->PlaceOverOwner();
  }

  if (m_services.runFirstStartSetup) {
    m_services.runFirstStartSetup();
  }
  return true;
}

// The version label is part of the window's picture: a per-pixel-alpha window
// shows only its image, so a label painted separately would never be seen.
void CLorvikLogin::ShowSkin() {
  const platform::Image* skin = ui::LoadPngImage(m_gui, kSkinPng);
  if (skin == nullptr) {
    return;
  }
  m_nSkinWidth = skin->Width();
  m_nSkinHeight = skin->Height();
  auto canvas = m_gui.CreateCanvas({m_nSkinWidth, m_nSkinHeight});
  if (!canvas) {
    m_pWindow->SetAlphaImage(skin);
    return;
  }
  platform::Painter& painter = canvas->GetPainter();
  painter.DrawImage(skin, {0, 0});
  const std::string version = app::GetFileVersionText(platform::ExecutablePath().string());
  platform::FontStyle font;
  font.family = "arial";
  font.pixelSize = kVersionPixelSize;
  font.bold = false;
  const platform::RectF layout{static_cast<float>(m_nSkinWidth - kVersionFromRight),
                               static_cast<float>(m_nSkinHeight - kVersionFromBottom),
                               kVersionWidth, kVersionHeight};
  painter.DrawString(version, font, kVersionColor, layout,
                     {platform::TextAlign::kNear, platform::Trimming::kEllipsisCharacter, true});
  m_pSkinImage = canvas->Snapshot();
  m_pWindow->SetAlphaImage(m_pSkinImage.get());
}

void CLorvikLogin::EndDialog(int result) {
  if (m_bEnded) {
    return;
  }
  m_bEnded = true;
  m_nResult = result;
  if (m_bRunning) {
    m_gui.QuitMainLoop();
  }
}

void CLorvikLogin::Minimize() {
  if (m_pWindow) {
    m_pWindow->Minimize();
  }
}

// Any point of the window is its caption.
void CLorvikLogin::OnMouseDown(platform::MouseButton button, platform::Point) {
  if (button == platform::MouseButton::kLeft && m_pWindow) {
    m_pWindow->BeginMoveDrag();
  }
}

void CLorvikLogin::OnCloseRequest() {
  RunExitPrompt(m_services, m_pWindow.get());
}

// The pop-up is a window of its own: it hides while the login window is
// minimised and comes back over it when it is restored.
void CLorvikLogin::OnStateChanged(WindowState state) {
  if (!m_pPopup || m_pPopup->NativeWindow() == nullptr) {
    return;
  }
  if (state == WindowState::kMinimized) {
    m_pPopup->NativeWindow()->Hide();
  } else {
    m_pPopup->PlaceOverOwner();
  }
}

void CLorvikLogin::OnGeometryChanged(const Rect&) {
  if (m_pPopup && m_pWindow && m_pWindow->State() != WindowState::kMinimized) {
    m_pPopup->PlaceOverOwner();
  }
}

}  // namespace kv::login
