#pragma once
// A login window that takes numbered commands (its buttons' and the page
// host's). OnCommand runs the handler before it returns, as a sent command does.

#include "platform/Window.h"
#include "ui/CommandTarget.h"

namespace kv::login {

class CommandWindow : public ui::CommandTarget {
 public:
  // The native window (null before it exists).
  virtual platform::Window* NativeWindow() = 0;
};

}  // namespace kv::login
