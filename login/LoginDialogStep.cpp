#include "login/LoginDialogStep.h"

#include <utility>

#include "login/LorvikLogin.h"

namespace kv::login {

LoginDialogStep::LoginDialogStep(platform::Gui& gui, LoginServices services)
    : gui_(gui), services_(std::move(services)) {}

std::string LoginDialogStep::Run() {
  CLorvikLogin dialog(gui_, services_);
  dialog.DoModal();
  return dialog.GetGameUrl();
}

}  // namespace kv::login
