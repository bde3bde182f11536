#pragma once
// CCustomMessageBox: the skinned yes-or-no question, 256 x 110 pixels, drawn
// from PNG 304 with a title, a message, OK and Cancel buttons and a close
// cross. DoModal gives 1 for OK or Enter, 2 for Cancel, the cross, Escape or a
// close request. The box is dragged by its face.

#include <memory>
#include <string>

#include "platform/Gui.h"
#include "ui/CommandTarget.h"
#include "ui/TouchButton.h"

namespace kv::ui {

class CCustomMessageBox : public platform::WindowEvents, public CommandTarget {
 public:
  static constexpr int IDOK = 1;
  static constexpr int IDCANCEL = 2;
  static constexpr int IDC_BTN_CLOSE = 1001;
  static constexpr int kWidth = 256;
  static constexpr int kHeight = 110;
  static constexpr int kBackgroundPng = 304;
  // Layout rectangles of the two texts.
  static constexpr platform::RectF kTitleRect{78, 8, 100, 25};
  static constexpr platform::RectF kTextRect{28, 35, 200, 30};
  static constexpr platform::Color kTitleColor = platform::Color::FromArgb(0xFFFFFFFF);
  static constexpr platform::Color kTextColor = platform::Color::FromArgb(0xFFFFECF7);

  // `owner`: the window the box belongs to; the box opens at the top-left
  // corner of its client area (of the work area when null).
  explicit CCustomMessageBox(platform::Gui& gui, platform::Window* owner = nullptr);
  ~CCustomMessageBox() override;

  void SetTexts(std::string title, std::string text);
  int DoModal();

  // While the box runs: its window and buttons (for tests and drivers).
  platform::Window* GetWindow() const { return m_pWindow.get(); }
  const CTouchButton& OkButton() const { return m_btnOk; }
  const CTouchButton& CancelButton() const { return m_btnCancel; }
  const CTouchButton& CloseButton() const { return m_btnClose; }

  // --- platform::WindowEvents
  void OnPaint(platform::Painter& painter) override;
  void OnMouseDown(platform::MouseButton button, platform::Point at) override;
  bool OnKeyDown(int key, int modifiers) override;
  void OnCloseRequest() override;
  // --- CommandTarget
  void OnCommand(int id) override;

 private:
  void OnInitDialog();
  platform::Rect Placement() const;

  platform::Gui& m_gui;
  platform::Window* m_pOwner;
  std::unique_ptr<platform::Window> m_pWindow;
  CTouchButton m_btnOk;
  CTouchButton m_btnCancel;
  CTouchButton m_btnClose;
  const platform::Image* m_pBackground = nullptr;
  std::string m_strTitle = "温馨提示";
  std::string m_strText;
};

}  // namespace kv::ui
