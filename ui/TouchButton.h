#pragma once
// CTouchButton: the push button of every skinned window. It draws itself from
// three images (normal, hover, pressed), each composed once over the parent's
// picture behind the button, lights up while the mouse rests on it, shows an
// optional tooltip after 2000 ms, and reports clicks to its command target.

#include <memory>
#include <string>

#include "platform/Gui.h"
#include "ui/CommandTarget.h"
#include "ui/PngImages.h"

namespace kv::ui {

class CTouchButton : public platform::WindowEvents {
 public:
  // Timers of the button's own window.
  static constexpr int kTimerShowHint = 1;
  static constexpr int kTimerHideHint = 2;
  // The automatic delay of the tooltip and how long it stays (ten times the delay).
  static constexpr int kHintDelayMs = 2000;
  static constexpr int kHintVisibleMs = 20000;

  explicit CTouchButton(platform::Gui& gui);
  ~CTouchButton() override;
  CTouchButton(const CTouchButton&) = delete;
  CTouchButton& operator=(const CTouchButton&) = delete;

  // Makes the button's window inside `parent` at `rect` (parent client
  // coordinates), shown; clicks go to `target` with `id`.
  bool Create(platform::Window& parent, int id, const platform::Rect& rect, CommandTarget& target);
  // Loads the three state images (hover first, as the original order of loading);
  // returns whether the hover image loaded.
  bool SetStateImages(int normalId, int hoverId, int pressedId);
  // Sets the tooltip text; empty text does nothing. `activate` false keeps it from showing.
  void SetHintText(const std::string& text, bool activate = true);

  platform::Window* GetWindow() const { return m_pWindow.get(); }
  int GetId() const { return m_nId; }
  void SetWindowPos(const platform::Rect& rect);
  void ShowWindow(bool show);

  // Which picture the button shows now.
  enum class Look { kNone, kNormal, kHover, kPressed };
  Look CurrentLook() const;
  bool StatesReady() const { return m_bStatesReady; }
  const platform::Window* HintWindow() const { return m_pHintWnd.get(); }

  // --- platform::WindowEvents
  void OnPaint(platform::Painter& painter) override;
  void OnMouseDown(platform::MouseButton button, platform::Point at) override;
  void OnMouseUp(platform::MouseButton button, platform::Point at) override;
  void OnMouseMove(platform::Point at) override;
  void OnMouseLeave() override;
  void OnTimer(int id) override;

 private:
  class HintPopup;
  bool ComposeStates();
  void SetHover(bool hover);
  void ShowHint();
  // Where a tooltip of `size` goes for the pointer at `pointer` (screen coordinates).
  platform::Rect HintPlace(platform::Point pointer, platform::Size size);
  void HideHint();
  bool Inside(platform::Point at) const;

  platform::Gui& m_gui;
  platform::Window* m_pParent = nullptr;
  CommandTarget* m_pTarget = nullptr;
  int m_nId = 0;
  std::unique_ptr<platform::Window> m_pWindow;

  bool m_bStatesReady = false;
  bool m_bHover = false;
  bool m_bHeld = false;  // the left button went down on the button and is still down
  bool m_bPointerInside = false;
  std::unique_ptr<CGdiPlusBitmapResource> m_pImgHover;
  std::unique_ptr<CGdiPlusBitmapResource> m_pImgNormal;
  std::unique_ptr<CGdiPlusBitmapResource> m_pImgPressed;
  std::string m_strHint;
  bool m_bHintActive = false;
  std::unique_ptr<HintPopup> m_pHint;
  std::unique_ptr<platform::Window> m_pHintWnd;
  platform::Point m_ptLastMouse;

  // The parent's pixels behind the button, captured once, and the finished
  // picture of each state.
  std::unique_ptr<platform::Image> m_imgBackground;
  std::unique_ptr<platform::Image> m_imgNormal;
  std::unique_ptr<platform::Image> m_imgPressed;
  std::unique_ptr<platform::Image> m_imgHover;
};

}  // namespace kv::ui
