#pragma once
// What the login pop-up does with a key pressed while it (or the page inside
// it) has the keyboard focus, before the focused element sees the key.

namespace kv::login {

enum class LoginKeyAction {
  kDeliverAsIs,    // straight to the focused element, no dialog handling (Enter)
  kForwardToPage,  // to the page's own handling: fields, select all, clipboard
  kDiscard,        // dropped: nothing sees it
  kDefault,        // the pop-up's ordinary handling
};

// `key` a portable key code, `modifiers` the kMod* flags held.
LoginKeyAction ClassifyLoginPopupKey(int key, int modifiers);

}  // namespace kv::login
