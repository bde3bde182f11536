#pragma once
// CLoginPopupDlg: the window the player logs in with. It sits over the right
// part of the login window's skin, shows the operator's login page in a
// WebFormLogin, carries a skinned minimise and close button, filters a few
// keys, and, when the page heads for the game page, hands that address to the
// login dialog and ends it.

#include <cstdint>
#include <memory>

#include "login/CommandWindow.h"
#include "login/LoginServices.h"
#include "login/WebFormLogin.h"
#include "platform/Gui.h"
#include "ui/TouchButton.h"

namespace kv::login {

class CLorvikLogin;

class CLoginPopupDlg final : public platform::WindowEvents, public CommandWindow {
 public:
  static constexpr int IDC_BTN_MINIMIZE = 1016;
  static constexpr int IDC_BTN_CLOSE = 1027;
  static constexpr int kWidth = 714;
  static constexpr int kHeight = 488;
  // Where the pop-up sits relative to the login window's top-left corner.
  static constexpr platform::Point kOffsetInOwner{459, 139};
  static constexpr int kBackgroundBitmap = 318;
  // Background pixels of exactly this colour show the login skin behind them.
  static constexpr platform::Color kSeeThroughColor = platform::Color::FromRgb(0, 255, 0);
  static constexpr std::uint8_t kOpacity = 250;

  // `login`: the login dialog this pop-up belongs to; null leaves the minimise
  // button and the hand-over without effect.
  CLoginPopupDlg(platform::Gui& gui, const LoginServices& services, CLorvikLogin* login);
  ~CLoginPopupDlg() override;
  CLoginPopupDlg(const CLoginPopupDlg&) = delete;
  CLoginPopupDlg& operator=(const CLoginPopupDlg&) = delete;

  // Makes the pop-up window, owned by `owner` and hidden, and initialises it:
  // the page host starts loading the login page, collapsed. False when the
  // window could not be made.
  bool Create(platform::Window& owner);
  // Moves the pop-up to the owner's top-left corner + kOffsetInOwner at its
  // full size, and shows and activates it if it is hidden.
  void PlaceOverOwner();

  WebFormLogin* WebForm() const { return m_pWebForm.get(); }
  const ui::CTouchButton& MinimizeButton() const { return m_btnMinimize; }
  const ui::CTouchButton& CloseButton() const { return m_btnClose; }

  // --- CommandWindow
  platform::Window* NativeWindow() override { return m_pWindow.get(); }
  void OnCommand(int id) override;

  // --- platform::WindowEvents
  void OnPaint(platform::Painter& painter) override;
  bool OnKeyDown(int key, int modifiers) override;
  void OnCloseRequest() override;

 private:
  void OnInitDialog();
  void LoadBackground();
  // Lets the page's own handling have the key; false: the key goes on its way.
  bool ForwardKeyToPage(int key);
  void CheckHandOver();

  platform::Gui& m_gui;
  const LoginServices& m_services;
  platform::Window* m_pOwner = nullptr;
  // Declared before the buttons and the page host, so it is destroyed after them.
  std::unique_ptr<platform::Window> m_pWindow;
  ui::CTouchButton m_btnMinimize;
  ui::CTouchButton m_btnClose;
  std::unique_ptr<platform::Image> m_brushBackground;
  CLorvikLogin* m_pLogin;
  std::unique_ptr<WebFormLogin> m_pWebForm;
};

}  // namespace kv::login
