#include "ui/MenbanDlg.h"

#include "res/Resources.h"
#include "res/StringIds.h"
#include "ui/PngImages.h"
#include "ui/SkinText.h"

namespace kv::ui {

using platform::Rect;

CMenbanDlg::CMenbanDlg(platform::Gui& gui) : m_gui(gui) {}

CMenbanDlg::~CMenbanDlg() = default;

bool CMenbanDlg::Create(platform::Window& parent) {
  platform::WindowOptions options;
  options.kind = platform::WindowKind::kPopup;
  options.owner = &parent;
  options.rect = parent.Geometry();
  m_pWindow = m_gui.MakeWindow(options, *this);
  if (!m_pWindow) {
    return false;
  }
  OnInitDialog();
  m_pWindow->Hide();
  return true;
}

void CMenbanDlg::OnInitDialog() {
  m_pVeil = LoadPngImage(m_gui, kVeilPng);
  for (int i = 0; i < 4; ++i) {
    m_pFrames[i] = LoadPngImage(m_gui, kFirstFramePng + i);
  }
  m_pCurrentFrame = m_pFrames[0];
  m_nCurrentFrame = 1;
  m_nStep = 1;
  m_pWindow->SetOpacity(kWindowAlpha);
}

void CMenbanDlg::ShowOver(const Rect& screenRect) {
  if (!m_pWindow) {
    return;
  }
  m_pWindow->Place(screenRect);
  m_pWindow->SetTimer(kTimerAnimate, kAnimateMs);
  m_pWindow->Show();
}

void CMenbanDlg::HideVeil() {
  if (!m_pWindow) {
    return;
  }
  m_pWindow->KillTimer(kTimerAnimate);
  m_pWindow->Hide();
}

int CMenbanDlg::CurrentFrameNumber() const {
  return m_pCurrentFrame != nullptr ? m_nCurrentFrame : 0;
}

Rect CMenbanDlg::FrameRect(platform::Size client) const {
  if (m_pCurrentFrame == nullptr) {
    return {};
  }
  int w = m_pCurrentFrame->Width();
  int h = m_pCurrentFrame->Height();
  return {(client.width - w) / 2, (client.height - h) / 2 - 40, w, h};
}

void CMenbanDlg::OnPaint(platform::Painter& painter) {
  ++m_nPaints;
  platform::Size client = m_pWindow ? m_pWindow->ClientSize() : platform::Size{};
  Rect all{0, 0, client.width, client.height};
  painter.FillRect(all, platform::Color::FromArgb(0xFFFFFFFF));
  painter.FillTexture(m_pVeil, all, {0, 0});
  Rect frame = FrameRect(client);
  painter.DrawImage(m_pCurrentFrame, {frame.x, frame.y});
  platform::RectF text{static_cast<float>((client.width - 200) / 2),
                       static_cast<float>((client.height - 31) / 2), 200, 31};
  DrawCentredText(painter, res::LoadString(res::IDS_CACHE_CLEARING), kTextPixels, false, kTextColor,
                  text, platform::Trimming::kEllipsisWord);
}

void CMenbanDlg::OnTimer(int id) {
  if (id != kTimerAnimate) {
    return;
  }
  if (m_nStep < 1 || m_nStep > 4) {
    m_nStep = 1;
  }
  m_nCurrentFrame = m_nStep;
  m_pCurrentFrame = m_pFrames[m_nStep - 1];
  if (m_pWindow) {
    Rect frame = FrameRect(m_pWindow->ClientSize());
    if (!frame.IsEmpty()) {
      m_pWindow->Invalidate(frame);
    }
  }
  ++m_nStep;
}

}  // namespace kv::ui
