#include "login/LoginKeys.h"

#include "platform/Keys.h"

namespace kv::login {

LoginKeyAction ClassifyLoginPopupKey(int key, int modifiers) {
  using namespace platform;
  const bool ctrl = (modifiers & kModCtrl) != 0;
  switch (key) {
    case kKeyReturn:
      return LoginKeyAction::kDeliverAsIs;
    case kKeyTab:
      return LoginKeyAction::kForwardToPage;
    case 'A':
    case 'C':
    case 'V':
    case 'X':
      return ctrl ? LoginKeyAction::kForwardToPage : LoginKeyAction::kDefault;
    case kKeySpace:
    case kKeyEscape:
      return LoginKeyAction::kDiscard;
    default:
      return LoginKeyAction::kDefault;
  }
}

}  // namespace kv::login
