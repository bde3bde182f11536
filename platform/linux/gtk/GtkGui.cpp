#include "platform/linux/gtk/GtkGui.h"

#include <gtk/gtk.h>

namespace kv::platform {

bool GtkGui::Initialize() { return gtk_init_check(nullptr, nullptr) != FALSE; }

}  // namespace kv::platform
