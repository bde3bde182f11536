#pragma once
// An owning holder for widgets this code makes (the GHolder of GlibPtr.h), so
// every path ends their life.

#include <gtk/gtk.h>

#include "platform/linux/GlibPtr.h"

namespace kv::platform {

namespace detail {
// Destroys the widget (it leaves its parent; a top-level window leaves the
// screen and GTK's list of windows), then drops this code's reference.
inline void DestroyWidget(GtkWidget* widget) {
  gtk_widget_destroy(widget);
  g_object_unref(widget);
}
}  // namespace detail

// A widget made by this code and destroyed with its holder. It takes the
// widget with its floating reference sunk (g_object_ref_sink), so the widget
// outlives its removal from a parent until the holder lets it go.
using OwnedWidgetPtr = GHolder<GtkWidget, detail::DestroyWidget>;

}  // namespace kv::platform
