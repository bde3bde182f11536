#include "ui/TouchButton.h"

#include <algorithm>

#include "ui/SkinText.h"

namespace kv::ui {

using platform::Color;
using platform::MouseButton;
using platform::Point;
using platform::Rect;

namespace {

constexpr float kHintFontPixels = 12;
constexpr int kHintPadding = 4;
constexpr int kHintMaxWidth = 400;
// The tooltip hangs this far below the pointer (clear of the cursor's picture),
// or, where the screen ends below, this far above it.
constexpr int kHintBelowPointer = 20;
constexpr int kHintAbovePointer = 2;
constexpr Color kHintBackground = Color::FromArgb(0xFFFFFFE1);
constexpr Color kHintBorder = Color::FromArgb(0xFF767676);
constexpr Color kHintText = Color::FromArgb(0xFF000000);

}  // namespace

// The tooltip's face: a pale box with a thin border and the hint text.
class CTouchButton::HintPopup : public platform::WindowEvents {
 public:
  explicit HintPopup(std::string text) : text_(std::move(text)) {}
  void OnPaint(platform::Painter& painter) override {
    platform::Size size = size_;
    painter.FillRect({0, 0, size.width, size.height}, kHintBorder);
    painter.FillRect({1, 1, size.width - 2, size.height - 2}, kHintBackground);
    painter.DrawString(text_, ArialFont(kHintFontPixels, false), kHintText,
                       {static_cast<float>(kHintPadding), static_cast<float>(kHintPadding),
                        static_cast<float>(size.width - 2 * kHintPadding),
                        static_cast<float>(size.height - 2 * kHintPadding)},
                       {platform::TextAlign::kNear, platform::Trimming::kNone, true});
  }
  const std::string& Text() const { return text_; }
  platform::Size size_;

 private:
  std::string text_;
};

CTouchButton::CTouchButton(platform::Gui& gui) : m_gui(gui) {}

CTouchButton::~CTouchButton() {
  // The tooltip window goes before the face it paints with.
  m_pHintWnd.reset();
  m_pHint.reset();
  m_pWindow.reset();
}

bool CTouchButton::Create(platform::Window& parent, int id, const Rect& rect,
                          CommandTarget& target) {
  m_pParent = &parent;
  m_pTarget = &target;
  m_nId = id;
  platform::WindowOptions options;
  options.kind = platform::WindowKind::kChild;
  options.owner = &parent;
  options.rect = rect;
  m_pWindow = m_gui.MakeWindow(options, *this);
  if (!m_pWindow) {
    return false;
  }
  m_pWindow->Show();
  return true;
}

bool CTouchButton::SetStateImages(int normalId, int hoverId, int pressedId) {
  m_pImgHover = std::make_unique<CGdiPlusBitmapResource>();
  m_pImgNormal = std::make_unique<CGdiPlusBitmapResource>();
  m_pImgPressed = std::make_unique<CGdiPlusBitmapResource>();
  bool hoverLoaded = m_pImgHover->LoadPng(m_gui, hoverId);
  m_pImgNormal->LoadPng(m_gui, normalId);
  m_pImgPressed->LoadPng(m_gui, pressedId);
  return hoverLoaded;
}

void CTouchButton::SetHintText(const std::string& text, bool activate) {
  if (text.empty()) {
    return;
  }
  m_strHint = text;
  m_bHintActive = activate;
  if (!activate) {
    HideHint();
  }
}

void CTouchButton::SetWindowPos(const Rect& rect) {
  if (m_pWindow) {
    m_pWindow->Place(rect);
  }
}

void CTouchButton::ShowWindow(bool show) {
  if (!m_pWindow) {
    return;
  }
  if (show) {
    m_pWindow->Show();
  } else {
    HideHint();
    m_pWindow->Hide();
  }
}

CTouchButton::Look CTouchButton::CurrentLook() const {
  if (!m_bStatesReady) {
    return Look::kNone;
  }
  if (m_bHeld && m_bPointerInside) {
    return Look::kPressed;
  }
  return m_bHover ? Look::kHover : Look::kNormal;
}

// Composes the three pictures once, over what the parent draws behind the
// button at the time of the first drawing; they are never made again.
bool CTouchButton::ComposeStates() {
  if (m_bStatesReady) {
    return true;
  }
  if (!m_pImgNormal || !m_pImgHover || !m_pImgPressed || !m_pWindow || m_pParent == nullptr) {
    return false;
  }
  Rect place = m_pWindow->Geometry();
  platform::Size size = m_pWindow->ClientSize();
  auto background = m_gui.CreateCanvas(size);
  if (!background) {
    return false;
  }
  background->GetPainter().Translate(-place.x, -place.y);
  m_pParent->RenderInto(background->GetPainter());
  m_imgBackground = background->Snapshot();

  auto compose = [&](const CGdiPlusBitmapResource& image,
                     platform::ImageEffect effect) -> std::unique_ptr<platform::Image> {
    auto canvas = m_gui.CreateCanvas(size);
    if (!canvas) {
      return nullptr;
    }
    canvas->GetPainter().DrawImage(m_imgBackground.get(), {0, 0});
    canvas->GetPainter().DrawImage(image.Get(), {0, 0}, effect);
    return canvas->Snapshot();
  };
  m_imgNormal = compose(*m_pImgNormal, platform::ImageEffect::kNone);
  m_imgPressed = compose(*m_pImgPressed, platform::ImageEffect::kNone);
  m_imgHover = compose(*m_pImgHover, platform::ImageEffect::kBrighten);
  // Without all three pictures the button is not ready; the next paint tries again.
  m_bStatesReady = m_imgNormal && m_imgPressed && m_imgHover;
  return m_bStatesReady;
}

void CTouchButton::OnPaint(platform::Painter& painter) {
  if (!ComposeStates()) {
    // No images: the button shows nothing of its own, only what lies behind it.
    if (m_pParent != nullptr && m_pWindow) {
      Rect place = m_pWindow->Geometry();
      painter.Save();
      painter.Translate(-place.x, -place.y);
      m_pParent->RenderInto(painter);
      painter.Restore();
    }
    return;
  }
  const platform::Image* picture = m_imgNormal.get();
  switch (CurrentLook()) {
    case Look::kPressed:
      picture = m_imgPressed.get();
      break;
    case Look::kHover:
      picture = m_imgHover.get();
      break;
    default:
      break;
  }
  painter.DrawImage(picture, {0, 0});
}

bool CTouchButton::Inside(Point at) const {
  if (!m_pWindow) {
    return false;
  }
  platform::Size size = m_pWindow->ClientSize();
  return Rect{0, 0, size.width, size.height}.Contains(at);
}

void CTouchButton::SetHover(bool hover) {
  if (hover == m_bHover) {
    return;
  }
  m_bHover = hover;
  if (hover) {
    // A fresh tooltip for every visit, after the automatic delay.
    HideHint();
    if (!m_strHint.empty() && m_bHintActive && m_pWindow) {
      m_pWindow->SetTimer(kTimerShowHint, kHintDelayMs, false);
    }
  } else {
    HideHint();
  }
  if (m_pWindow) {
    m_pWindow->Invalidate();
  }
}

void CTouchButton::OnMouseMove(Point at) {
  m_ptLastMouse = at;
  bool inside = Inside(at);
  bool changed = inside != m_bPointerInside;
  m_bPointerInside = inside;
  SetHover(inside);
  if (changed && m_bHeld && m_pWindow) {
    m_pWindow->Invalidate();
  }
}

void CTouchButton::OnMouseLeave() {
  m_bPointerInside = false;
  SetHover(false);
  if (m_bHeld && m_pWindow) {
    m_pWindow->Invalidate();
  }
}

void CTouchButton::OnMouseDown(MouseButton button, Point at) {
  if (button != MouseButton::kLeft) {
    return;
  }
  m_ptLastMouse = at;
  HideHint();
  m_bHeld = true;
  m_bPointerInside = Inside(at);
  SetHover(m_bPointerInside);
  if (m_pWindow) {
    m_pWindow->Invalidate();
  }
}

void CTouchButton::OnMouseUp(MouseButton button, Point at) {
  if (button != MouseButton::kLeft || !m_bHeld) {
    return;
  }
  m_bHeld = false;
  bool inside = Inside(at);
  m_bPointerInside = inside;
  SetHover(inside);
  if (m_pWindow) {
    m_pWindow->Invalidate();
  }
  if (inside && m_pTarget != nullptr) {
    // The target may end a modal loop or hide this button; nothing follows.
    m_pTarget->OnCommand(m_nId);
  }
}

void CTouchButton::OnTimer(int id) {
  if (id == kTimerShowHint) {
    if (m_bHover && !m_bHeld) {
      ShowHint();
    }
  } else if (id == kTimerHideHint) {
    HideHint();
  }
}

void CTouchButton::ShowHint() {
  if (m_strHint.empty() || !m_pWindow || m_pParent == nullptr) {
    return;
  }
  HideHint();
  auto measure = m_gui.CreateCanvas({1, 1});
  if (!measure) {
    return;
  }
  platform::Size text = measure->GetPainter().MeasureString(
      m_strHint, ArialFont(kHintFontPixels, false), kHintMaxWidth);
  m_pHint = std::make_unique<HintPopup>(m_strHint);
  m_pHint->size_ = {text.width + 2 * kHintPadding + 1, text.height + 2 * kHintPadding};
  platform::WindowOptions options;
  options.kind = platform::WindowKind::kTooltip;
  options.owner = m_pParent;
  options.title = m_strHint;
  options.rect = HintPlace(m_pWindow->ClientToScreen(m_ptLastMouse), m_pHint->size_);
  m_pHintWnd = m_gui.MakeWindow(options, *m_pHint);
  if (m_pHintWnd) {
    m_pHintWnd->Show();
    m_pWindow->SetTimer(kTimerHideHint, kHintVisibleMs, false);
  }
}

// Below the pointer, kept inside the work area: moved left where it would run
// past the right edge, and put above the pointer where it would run past the
// bottom (never under the pointer, which would take the pointer off the button).
Rect CTouchButton::HintPlace(Point pointer, platform::Size size) {
  Rect bounds = m_gui.WorkArea();
  if (bounds.IsEmpty()) {
    platform::Size screen = m_gui.ScreenSize();
    bounds = {0, 0, screen.width, screen.height};
  }
  Rect place{pointer.x, pointer.y + kHintBelowPointer, size.width, size.height};
  if (bounds.IsEmpty()) {
    return place;
  }
  if (place.Right() > bounds.Right()) {
    place.x = bounds.Right() - size.width;
  }
  place.x = std::max(place.x, bounds.x);
  if (place.Bottom() > bounds.Bottom()) {
    place.y = pointer.y - kHintAbovePointer - size.height;
  }
  place.y = std::max(place.y, bounds.y);
  return place;
}

void CTouchButton::HideHint() {
  if (m_pWindow) {
    m_pWindow->KillTimer(kTimerShowHint);
    m_pWindow->KillTimer(kTimerHideHint);
  }
  m_pHintWnd.reset();
  m_pHint.reset();
}

}  // namespace kv::ui
