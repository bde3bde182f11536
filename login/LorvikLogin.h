#pragma once
// CLorvikLogin: the login window, the first window of an ordinary launch. Its
// whole look is the per-pixel-alpha skin of PNG 319 with the launcher's version
// in its lower right corner; it is dragged by any point of the skin and carries
// the login pop-up over its right part. It runs the per-user installation once
// the pop-up exists and ends when the pop-up hands over the game page address,
// or ends the process when the player confirms the exit question.

#include <memory>
#include <string>

#include "login/LoginPopupDlg.h"
#include "login/LoginServices.h"
#include "platform/Gui.h"

namespace kv::login {

class CLorvikLogin final : public platform::WindowEvents {
 public:
  static constexpr int kSkinPng = 319;
  // The version label: its layout rectangle measured from the lower right
  // corner (it runs past the right edge and is cut there), font and colour.
  static constexpr int kVersionFromRight = 60;
  static constexpr int kVersionFromBottom = 33;
  static constexpr float kVersionWidth = 200;
  static constexpr float kVersionHeight = 31;
  static constexpr float kVersionPixelSize = 10;
  static constexpr platform::Color kVersionColor = platform::Color::FromArgb(0xFFCBAE5B);

  CLorvikLogin(platform::Gui& gui, LoginServices services);
  ~CLorvikLogin() override;
  CLorvikLogin(const CLorvikLogin&) = delete;
  CLorvikLogin& operator=(const CLorvikLogin&) = delete;

  // Makes the login window and its pop-up, runs the installation, and runs the
  // event loop until the dialog ends; the two windows are gone when it returns.
  // Returns the result given to EndDialog, or -1 when no window could be made.
  int DoModal();
  // The game page address the pop-up settled on; empty when it never did.
  std::string GetGameUrl() const { return m_strGameUrl; }

  // Ends the dialog (the first call counts); the loop returns after the event
  // being handled.
  void EndDialog(int result);
  bool Ended() const { return m_bEnded; }
  void Minimize();

  platform::Window* Window() const { return m_pWindow.get(); }
  CLoginPopupDlg* Popup() const { return m_pPopup.get(); }
  // The window's picture: the skin with the version label drawn in.
  const platform::Image* SkinImage() const { return m_pSkinImage.get(); }

  // Written by the pop-up's hand-over.
  std::string m_strGameUrl;

  // --- platform::WindowEvents
  void OnMouseDown(platform::MouseButton button, platform::Point at) override;
  void OnCloseRequest() override;
  void OnStateChanged(platform::WindowState state) override;
  void OnGeometryChanged(const platform::Rect& geometry) override;

 private:
  bool OnInitDialog();
  // Composes the skin and the version label into the window's picture.
  void ShowSkin();

  platform::Gui& m_gui;
  LoginServices m_services;
  // Declared before the pop-up, which it owns on screen, so it is destroyed after it.
  std::unique_ptr<platform::Window> m_pWindow;
  std::unique_ptr<platform::Image> m_pSkinImage;
  std::unique_ptr<CLoginPopupDlg> m_pPopup;
  int m_nSkinWidth = 0;
  int m_nSkinHeight = 0;
  bool m_bEnded = false;
  bool m_bRunning = false;
  int m_nResult = 0;
};

}  // namespace kv::login
