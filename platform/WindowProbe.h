#pragma once
// Tells whether a window of the display still exists, from a thread other than
// the user-interface thread: it talks to the window system over a connection of
// its own, so it never races the user-interface thread's one.

#include "platform/Geometry.h"

namespace kv::platform {

class WindowProbe {
 public:
  virtual ~WindowProbe() = default;
  WindowProbe() = default;
  WindowProbe(const WindowProbe&) = delete;
  WindowProbe& operator=(const WindowProbe&) = delete;

  // True while `target` names a window (of any process). False as well once the
  // display itself is gone. One thread at a time may ask.
  virtual bool WindowExists(NativeWindowId target) = 0;
};

}  // namespace kv::platform
