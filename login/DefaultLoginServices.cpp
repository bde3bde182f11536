#include "install/Setup.h"
#include "login/LoginServices.h"
#include "platform/Os.h"
#include "ui/CustomMessageBox.h"
#include "update/UpdateDriver.h"

namespace kv::login {

LoginServices DefaultLoginServices(platform::Gui& gui) {
  LoginServices services;
  services.runUpdateCheck = [] { update::RunUpdateCheck(); };
  services.runFirstStartSetup = [] { install::RunFirstStartSetup(); };
  services.askQuestion = [&gui](platform::Window* owner, const std::string& title,
                                const std::string& text) {
    ui::CCustomMessageBox box(gui, owner);
    box.SetTexts(title, text);
    return box.DoModal();
  };
  services.exitProcess = [](int code) { platform::ExitProcess(code); };
  return services;
}

}  // namespace kv::login
