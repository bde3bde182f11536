#pragma once
// The account values a player may have saved in the settings file. They are
// read when the login pop-up opens; nothing in the launcher fills the login
// form from them or writes them.

#include <string>

namespace kv::login {

extern std::string g_strSavedAccount;    // [Info] "code", decoded
extern std::string g_strSavedPassword;   // [Info] "pwd", decoded
extern std::string g_strSavedRemember;   // [Info] "rem": "0" or "1"
extern std::string g_strSavedAutoLogin;  // [Setting] "autologin": "0" or "1"

// Reads and decodes the four values from the settings file. An empty stored
// account or password leaves the value as it was (empty at start).
void LoadSavedAccountValues();

}  // namespace kv::login
