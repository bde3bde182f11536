#include "ui/CustomMessageBox.h"

#include "platform/Keys.h"
#include "ui/SkinText.h"

namespace kv::ui {

using platform::Rect;

CCustomMessageBox::CCustomMessageBox(platform::Gui& gui, platform::Window* owner)
    : m_gui(gui), m_pOwner(owner), m_btnOk(gui), m_btnCancel(gui), m_btnClose(gui) {}

// The buttons' windows live inside the box's window: they go first.
CCustomMessageBox::~CCustomMessageBox() = default;

void CCustomMessageBox::SetTexts(std::string title, std::string text) {
  m_strTitle = std::move(title);
  m_strText = std::move(text);
}

// The box is not centred: it opens at the top-left corner of its owner's
// client area, or of the work area when it has no owner.
Rect CCustomMessageBox::Placement() const {
  platform::Point corner;
  if (m_pOwner != nullptr) {
    corner = m_pOwner->ClientToScreen({0, 0});
  } else {
    Rect workArea = m_gui.WorkArea();
    corner = {workArea.x, workArea.y};
  }
  return {corner.x, corner.y, kWidth, kHeight};
}

void CCustomMessageBox::OnInitDialog() {
  const int right = kWidth;
  const int bottom = kHeight;
  m_btnClose.Create(*m_pWindow, IDC_BTN_CLOSE, {right - 19, 10, 9, 9}, *this);
  m_btnClose.SetStateImages(316, 316, 316);
  m_btnOk.Create(*m_pWindow, IDOK, {36, bottom - 44, 82, 34}, *this);
  m_btnOk.SetStateImages(314, 313, 313);
  m_btnCancel.Create(*m_pWindow, IDCANCEL, {138, bottom - 44, 82, 34}, *this);
  m_btnCancel.SetStateImages(312, 311, 311);
  m_pBackground = LoadPngImage(m_gui, kBackgroundPng);
}

int CCustomMessageBox::DoModal() {
  platform::WindowOptions options;
  options.kind = platform::WindowKind::kPopup;
  options.owner = m_pOwner;
  options.rect = Placement();
  options.title = m_strTitle;
  m_pWindow = m_gui.MakeWindow(options, *this);
  if (!m_pWindow) {
    return IDCANCEL;
  }
  OnInitDialog();
  int result = m_pWindow->RunModal();
  // The box is gone once it has answered; the buttons' windows go with it.
  m_btnOk.ShowWindow(false);
  m_btnCancel.ShowWindow(false);
  m_btnClose.ShowWindow(false);
  m_pWindow->Hide();
  return result;
}

void CCustomMessageBox::OnPaint(platform::Painter& painter) {
  // The face is the background image; without it the box shows a plain dark face.
  painter.FillRect({0, 0, kWidth, kHeight}, platform::Color::FromArgb(0xFF2B2B2B));
  painter.DrawImage(m_pBackground, {0, 0});
  DrawCentredText(painter, m_strTitle, 13, true, kTitleColor, kTitleRect,
                  platform::Trimming::kEllipsisCharacter);
  DrawCentredText(painter, m_strText, 11, false, kTextColor, kTextRect,
                  platform::Trimming::kEllipsisCharacter);
}

void CCustomMessageBox::OnMouseDown(platform::MouseButton button, platform::Point) {
  if (button == platform::MouseButton::kLeft && m_pWindow) {
    m_pWindow->BeginMoveDrag();
  }
}

bool CCustomMessageBox::OnKeyDown(int key, int) {
  if (key == platform::kKeyReturn) {
    OnCommand(IDOK);
    return true;
  }
  if (key == platform::kKeyEscape) {
    OnCommand(IDCANCEL);
    return true;
  }
  return false;
}

void CCustomMessageBox::OnCloseRequest() {
  OnCommand(IDCANCEL);
}

void CCustomMessageBox::OnCommand(int id) {
  if (!m_pWindow) {
    return;
  }
  if (id == IDOK) {
    m_pWindow->EndModal(IDOK);
  } else if (id == IDCANCEL || id == IDC_BTN_CLOSE) {
    m_pWindow->EndModal(IDCANCEL);
  }
}

}  // namespace kv::ui
