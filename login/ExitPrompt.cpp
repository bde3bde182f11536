#include "login/LoginServices.h"
#include "res/Resources.h"
#include "res/StringIds.h"

namespace kv::login {

namespace {

constexpr char kExitTitle[] = "关闭提示";
constexpr int kAgreed = 1;

}  // namespace

void RunExitPrompt(const LoginServices& services, platform::Window* owner) {
  if (!services.askQuestion) {
    return;
  }
  const std::string text = "是否退出" + res::LoadString(res::IDS_CAPTION) + "？";
  if (services.askQuestion(owner, kExitTitle, text) == kAgreed && services.exitProcess) {
    services.exitProcess(0);
  }
}

}  // namespace kv::login
