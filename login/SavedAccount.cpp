#include "login/SavedAccount.h"

#include "app/Settings.h"

namespace kv::login {

std::string g_strSavedAccount;
std::string g_strSavedPassword;
std::string g_strSavedRemember;
std::string g_strSavedAutoLogin;

namespace {

// A flag is off only when stored as exactly "0".
std::string FlagText(const std::string& stored) {
  return stored == "0" ? "0" : "1";
}

}  // namespace

void LoadSavedAccountValues() {
  const std::string account = app::ReadSetting("Info", "code", "");
  if (!account.empty()) {
    g_strSavedAccount = app::DecodeAccountText(account);
  }
  const std::string password = app::ReadSetting("Info", "pwd", "");
  if (!password.empty()) {
    g_strSavedPassword = app::DecodeAccountText(password);
  }
  g_strSavedRemember = FlagText(app::ReadSetting("Info", "rem", "1"));
  g_strSavedAutoLogin = FlagText(app::ReadSetting("Setting", "autologin", "0"));
}

}  // namespace kv::login
