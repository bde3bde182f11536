#include "platform/linux/gtk/XcbWindowProbe.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <limits>

namespace kv::platform {

XcbWindowProbe::XcbWindowProbe(const char* displayName)
    : connection_(xcb_connect(displayName, nullptr)) {}

XcbWindowProbe::~XcbWindowProbe() {
  // A failed connect still returns an object that must be disconnected.
  if (connection_ != nullptr) {
    xcb_disconnect(connection_);
  }
}

bool XcbWindowProbe::WindowExists(NativeWindowId target) {
  if (connection_ == nullptr || xcb_connection_has_error(connection_) != 0 || target <= 0 ||
      target > std::numeric_limits<xcb_window_t>::max()) {
    return false;
  }
  xcb_get_window_attributes_cookie_t cookie =
      xcb_get_window_attributes(connection_, static_cast<xcb_window_t>(target));
  xcb_generic_error_t* error = nullptr;
  xcb_get_window_attributes_reply_t* reply =
      xcb_get_window_attributes_reply(connection_, cookie, &error);
  const bool exists = reply != nullptr;
  std::free(reply);
  std::free(error);
  return exists;
}

}  // namespace kv::platform
