#pragma once
// WindowProbe over an XCB connection of its own. GDK's Xlib display belongs to
// the user-interface thread, and an X error on any Xlib display reaches GDK's
// process-wide error handler; an XCB request hands its error back with the
// reply instead, so a vanished window is simply an answer.

#include <string>

#include "platform/WindowProbe.h"

struct xcb_connection_t;

namespace kv::platform {

class XcbWindowProbe final : public WindowProbe {
 public:
  // `displayName` as GDK opened it (null: $DISPLAY).
  explicit XcbWindowProbe(const char* displayName);
  ~XcbWindowProbe() override;

  bool WindowExists(NativeWindowId target) override;

 private:
  xcb_connection_t* connection_ = nullptr;
};

}  // namespace kv::platform
