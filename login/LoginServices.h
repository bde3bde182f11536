#pragma once
// What the login windows ask of the rest of the launcher and of the process.
// The launcher uses DefaultLoginServices; tests put recorders in their place so
// that no update runs, nothing is installed and the test process goes on.

#include <functional>
#include <string>

#include "platform/Gui.h"

namespace kv::login {

struct LoginServices {
  // The self-update attempt (it may end the process).
  std::function<void()> runUpdateCheck;
  // The per-user installation.
  std::function<void()> runFirstStartSetup;
  // Asks a yes-or-no question in the skinned message box over `owner`;
  // returns its answer (1 agreed, 2 refused).
  std::function<int(platform::Window* owner, const std::string& title, const std::string& text)>
      askQuestion;
  // Ends the process at once with `code`.
  std::function<void(int code)> exitProcess;
};

// The launcher's own: RunUpdateCheck, RunFirstStartSetup, CCustomMessageBox
// and platform::ExitProcess.
LoginServices DefaultLoginServices(platform::Gui& gui);

// The exit question of the login windows: "是否退出" + string 107 + "？" titled
// "关闭提示". Agreement ends the process with code 0; refusal changes nothing.
void RunExitPrompt(const LoginServices& services, platform::Window* owner);

}  // namespace kv::login
