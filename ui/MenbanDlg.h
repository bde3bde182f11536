#pragma once
// CMenbanDlg: the translucent busy veil laid over the main window while the
// browser cache is cleared. It is a window of its own above the main window,
// so it takes the mouse input meant for the main window while it is shown.

#include <array>
#include <memory>

#include "platform/Gui.h"

namespace kv::ui {

class CMenbanDlg : public platform::WindowEvents {
 public:
  static constexpr int kTimerAnimate = 5000;
  static constexpr int kAnimateMs = 200;
  static constexpr std::uint8_t kWindowAlpha = 229;
  static constexpr int kVeilPng = 275;
  static constexpr int kFirstFramePng = 276;  // 276..279
  static constexpr float kTextPixels = 14;
  static constexpr platform::Color kTextColor = platform::Color::FromArgb(0xFFFFF5D3);

  explicit CMenbanDlg(platform::Gui& gui);
  ~CMenbanDlg() override;
  CMenbanDlg(const CMenbanDlg&) = delete;
  CMenbanDlg& operator=(const CMenbanDlg&) = delete;

  // Makes the veil's window, owned by `parent`, and leaves it hidden.
  bool Create(platform::Window& parent);
  platform::Window* GetWindow() const { return m_pWindow.get(); }

  // Showing: placed over `screenRect`, animation timer started, shown.
  void ShowOver(const platform::Rect& screenRect);
  // Hiding: animation timer stopped, hidden.
  void HideVeil();

  // The frame drawn now (1..4, 0 when no frame image exists) and the next step.
  int CurrentFrameNumber() const;
  int Step() const { return m_nStep; }
  // How often the veil has been painted so far.
  int PaintCount() const { return m_nPaints; }
  // Where the current frame is drawn in a client area of `client` size.
  platform::Rect FrameRect(platform::Size client) const;

  // --- platform::WindowEvents
  void OnPaint(platform::Painter& painter) override;
  void OnTimer(int id) override;

 private:
  void OnInitDialog();

  platform::Gui& m_gui;
  std::unique_ptr<platform::Window> m_pWindow;
  const platform::Image* m_pVeil = nullptr;
  std::array<const platform::Image*, 4> m_pFrames{};
  const platform::Image* m_pCurrentFrame = nullptr;
  int m_nCurrentFrame = 0;
  int m_nStep = 0;
  int m_nPaints = 0;
};

}  // namespace kv::ui
