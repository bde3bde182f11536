#pragma once
// The login of an ordinary launch as the main window's start sequence runs it:
// the login dialog, modally, yielding the game page address it settled on.

#include <string>

#include "login/LoginServices.h"
#include "mainwnd/LoginStep.h"
#include "platform/Gui.h"

namespace kv::login {

class LoginDialogStep final : public mainwnd::LoginStep {
 public:
  LoginDialogStep(platform::Gui& gui, LoginServices services);
  std::string Run() override;

 private:
  platform::Gui& gui_;
  LoginServices services_;
};

}  // namespace kv::login
