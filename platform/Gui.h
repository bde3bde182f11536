#pragma once
// The window system as the launcher's windows need it. The GTK 3 / WebKitGTK /
// X11 backend lives in platform/linux/gtk/; tests use a recording double.

namespace kv::platform {

class Gui {
 public:
  virtual ~Gui() = default;

  // Connects to the display. False when there is none; no window can be made then.
  virtual bool Initialize() = 0;
};

}  // namespace kv::platform
