#include "platform/linux/gtk/GtkWindowImpl.h"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <string>

#include "platform/Keys.h"
#include "platform/linux/gtk/CairoPainter.h"
#include "platform/linux/gtk/GtkGui.h"
#include "platform/linux/gtk/KeyCodes.h"

namespace kv::platform {

namespace {

// Without a compositing manager, pixels of a per-pixel-alpha image at least this
// opaque stay part of the window; the rest is cut away.
constexpr std::uint32_t kShapeAlphaThreshold = 128;

MouseButton ButtonOf(guint button) {
  switch (button) {
    case 2:
      return MouseButton::kMiddle;
    case 3:
      return MouseButton::kRight;
    default:
      return MouseButton::kLeft;
  }
}

int ModifiersOf(guint state) {
  int modifiers = 0;
  if ((state & GDK_MOD1_MASK) != 0) {
    modifiers |= kModAlt;
  }
  if ((state & GDK_CONTROL_MASK) != 0) {
    modifiers |= kModCtrl;
  }
  if ((state & GDK_SHIFT_MASK) != 0) {
    modifiers |= kModShift;
  }
  return modifiers;
}

// The portable code of the key pressed, from the unshifted symbol of its key,
// so that Shift+1 is still '1' as on the platform the codes come from.
int PortableKeyOf(const GdkEventKey* event) {
  guint keyval = 0;
  GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_window_get_display(event->window));
  if (gdk_keymap_translate_keyboard_state(
          keymap, event->hardware_keycode,
          static_cast<GdkModifierType>(event->state & GDK_MOD2_MASK), event->group, &keyval,
          nullptr, nullptr, nullptr) &&
      keyval != 0) {
    int key = PortableKeyFromKeysym(keyval);
    if (key != 0) {
      return key;
    }
  }
  return PortableKeyFromKeysym(event->keyval);
}

// The region of `surface` (ARGB32) whose pixels pass `keep`, as row runs.
template <typename Keep>
CairoRegionPtr RegionWhere(cairo_surface_t* surface, Keep keep) {
  cairo_surface_flush(surface);
  int width = cairo_image_surface_get_width(surface);
  int height = cairo_image_surface_get_height(surface);
  int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  CairoRegionPtr region(cairo_region_create());
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
    int x = 0;
    while (x < width) {
      while (x < width && !keep(row[x])) {
        ++x;
      }
      int start = x;
      while (x < width && keep(row[x])) {
        ++x;
      }
      if (x > start) {
        cairo_rectangle_int_t run{start, y, x - start, 1};
        cairo_region_union_rectangle(region.get(), &run);
      }
    }
  }
  return region;
}

}  // namespace

struct GtkWindowImpl::TimerSource {
  GtkWindowImpl* self;
  int id;
  bool repeat;
  std::weak_ptr<bool> alive;
};

GtkWindowImpl::GtkWindowImpl(GtkGui& gui, const WindowOptions& options, WindowEvents& events)
    : gui_(gui), kind_(options.kind), events_(events), rect_(options.rect) {
  auto* ownerImpl = dynamic_cast<GtkWindowImpl*>(options.owner);
  layout_.reset(GTK_WIDGET(g_object_ref_sink(gtk_layout_new(nullptr, nullptr))));
  gtk_widget_set_app_paintable(layout_.get(), TRUE);
  gtk_widget_add_events(layout_.get(), GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                           GDK_POINTER_MOTION_MASK | GDK_LEAVE_NOTIFY_MASK |
                                           GDK_ENTER_NOTIFY_MASK);
  g_signal_connect(layout_.get(), "draw", G_CALLBACK(OnDraw), this);
  g_signal_connect(layout_.get(), "button-press-event", G_CALLBACK(OnButton), this);
  g_signal_connect(layout_.get(), "button-release-event", G_CALLBACK(OnButton), this);
  g_signal_connect(layout_.get(), "motion-notify-event", G_CALLBACK(OnMotion), this);
  g_signal_connect(layout_.get(), "leave-notify-event", G_CALLBACK(OnLeave), this);
  g_signal_connect(layout_.get(), "enter-notify-event", G_CALLBACK(OnEnter), this);
  g_signal_connect(layout_.get(), "size-allocate", G_CALLBACK(OnLayoutAllocated), this);
  gtk_widget_show(layout_.get());

  if (kind_ == WindowKind::kChild) {
    if (ownerImpl != nullptr) {
      gtk_widget_set_size_request(layout_.get(), std::max(rect_.width, 0),
                                  std::max(rect_.height, 0));
      gtk_layout_put(GTK_LAYOUT(ownerImpl->ClientWidget()), layout_.get(), rect_.x, rect_.y);
      gtk_widget_hide(layout_.get());
    }
  } else {
    window_.reset(GTK_WIDGET(g_object_ref_sink(
        gtk_window_new(kind_ == WindowKind::kTooltip ? GTK_WINDOW_POPUP : GTK_WINDOW_TOPLEVEL))));
    gtk_window_set_decorated(GTK_WINDOW(window_.get()), FALSE);
    if (kind_ == WindowKind::kTooltip) {
      gtk_window_set_type_hint(GTK_WINDOW(window_.get()), GDK_WINDOW_TYPE_HINT_TOOLTIP);
      gtk_window_set_accept_focus(GTK_WINDOW(window_.get()), FALSE);
    }
    gtk_widget_set_app_paintable(window_.get(), TRUE);
    gtk_window_set_title(GTK_WINDOW(window_.get()), options.title.c_str());
    gtk_container_add(GTK_CONTAINER(window_.get()), layout_.get());
    if (kind_ == WindowKind::kPopup) {
      gtk_window_set_skip_taskbar_hint(GTK_WINDOW(window_.get()), TRUE);
      gtk_window_set_skip_pager_hint(GTK_WINDOW(window_.get()), TRUE);
      if (ownerImpl != nullptr && ownerImpl->TopWidget() != nullptr) {
        gtk_window_set_transient_for(GTK_WINDOW(window_.get()), GTK_WINDOW(ownerImpl->TopWidget()));
      }
    }
    if (kind_ != WindowKind::kEmbedded) {
      gtk_window_move(GTK_WINDOW(window_.get()), rect_.x, rect_.y);
    }
    gtk_window_set_default_size(GTK_WINDOW(window_.get()), std::max(rect_.width, 1),
                                std::max(rect_.height, 1));
    gtk_window_resize(GTK_WINDOW(window_.get()), std::max(rect_.width, 1),
                      std::max(rect_.height, 1));
    gtk_widget_add_events(window_.get(), GDK_KEY_PRESS_MASK | GDK_STRUCTURE_MASK);
    g_signal_connect(window_.get(), "key-press-event", G_CALLBACK(OnKey), this);
    g_signal_connect(window_.get(), "delete-event", G_CALLBACK(OnDelete), this);
    g_signal_connect(window_.get(), "window-state-event", G_CALLBACK(OnWindowState), this);
    g_signal_connect(window_.get(), "configure-event", G_CALLBACK(OnConfigure), this);
    g_signal_connect(window_.get(), "realize", G_CALLBACK(OnRealize), this);
    compositedHandler_ =
        g_signal_connect(gtk_widget_get_screen(window_.get()), "composited-changed",
                         G_CALLBACK(OnCompositedChanged), this);
    if (kind_ == WindowKind::kEmbedded) {
      embedded_ = EmbedInto(options.foreignParent);
    }
  }
  gui_.AddWindow(this);
}

// The embedded kind is a plain top-level GtkWindow whose X window is moved into
// the foreign parent before it is ever mapped, so the window manager never
// manages it. (A GtkPlug would stay unmapped: it waits for an XEmbed socket to
// map it, and the parent is an ordinary window of another program.) To GTK it
// stays a top-level window, as if a window manager had framed it.
bool GtkWindowImpl::EmbedInto(NativeWindowId parent) {
  gtk_window_set_skip_taskbar_hint(GTK_WINDOW(window_.get()), TRUE);
  gtk_window_set_skip_pager_hint(GTK_WINDOW(window_.get()), TRUE);
  gtk_widget_realize(window_.get());
  GdkWindow* gdkWindow = gtk_widget_get_window(window_.get());
  // No compositor answers frame-drawn requests of a window the window manager
  // does not manage; waiting for them would freeze the painting.
  gdk_x11_window_set_frame_sync_enabled(gdkWindow, FALSE);
  GdkDisplay* display = gtk_widget_get_display(window_.get());
  gdk_x11_display_error_trap_push(display);
  XReparentWindow(GDK_DISPLAY_XDISPLAY(display), gdk_x11_window_get_xid(gdkWindow),
                  static_cast<::Window>(parent), rect_.x, rect_.y);
  XSync(GDK_DISPLAY_XDISPLAY(display), False);
  if (gdk_x11_display_error_trap_pop(display) != 0) {
    return false;
  }
  gtk_window_move(GTK_WINDOW(window_.get()), rect_.x, rect_.y);

  // Without a window manager in between, a press does not give the window the
  // keyboard focus: it takes it itself (before the page sees the press).
  focusOnPress_ = gtk_gesture_multi_press_new(window_.get());
  gtk_gesture_single_set_button(GTK_GESTURE_SINGLE(focusOnPress_), 0);
  gtk_event_controller_set_propagation_phase(GTK_EVENT_CONTROLLER(focusOnPress_),
                                             GTK_PHASE_CAPTURE);
  g_signal_connect(focusOnPress_, "pressed", G_CALLBACK(OnEmbeddedPress), this);

  // Messages between processes are asynchronous on X11: the parent's owner may
  // ask for a new place before its own window has its new size. Its size
  // changes are watched here so the owner can follow them.
  foreignParent_ = gdk_x11_window_foreign_new_for_display(display, static_cast<::Window>(parent));
  if (foreignParent_ != nullptr) {
    gdk_window_set_events(
        foreignParent_,
        static_cast<GdkEventMask>(gdk_window_get_events(foreignParent_) | GDK_STRUCTURE_MASK));
    gdk_window_add_filter(foreignParent_, OnParentXEvent, this);
    parentSize_ = {gdk_window_get_width(foreignParent_), gdk_window_get_height(foreignParent_)};
  }
  return true;
}

GdkFilterReturn GtkWindowImpl::OnParentXEvent(GdkXEvent* raw, GdkEvent*, gpointer data) {
  auto* self = static_cast<GtkWindowImpl*>(data);
  const auto* event = static_cast<const XEvent*>(raw);
  if (event->type == ConfigureNotify &&
      event->xconfigure.window == gdk_x11_window_get_xid(self->foreignParent_)) {
    const Size now{event->xconfigure.width, event->xconfigure.height};
    if (now != self->parentSize_) {
      self->parentSize_ = now;
      self->events_.OnParentSizeChanged(now);
    }
  }
  return GDK_FILTER_CONTINUE;
}

void GtkWindowImpl::OnEmbeddedPress(GtkGestureMultiPress*, gint, gdouble, gdouble, gpointer data) {
  auto* self = static_cast<GtkWindowImpl*>(data);
  GdkWindow* gdkWindow = gtk_widget_get_window(self->window_.get());
  if (gdkWindow == nullptr || gdk_window_is_destroyed(gdkWindow)) {
    return;
  }
  GdkDisplay* display = gdk_window_get_display(gdkWindow);
  // The window manager focuses the frame on the same press (the press is in
  // the frame's client window too), and the frame's process answers its
  // WM_TAKE_FOCUS; both use the press's timestamp. Asking with the server's
  // current time makes this request win in whatever order the three arrive:
  // the server ignores focus requests older than the last focus change.
  // The parent may be going away: the request then fails harmlessly.
  gdk_x11_display_error_trap_push(display);
  XSetInputFocus(GDK_DISPLAY_XDISPLAY(display), gdk_x11_window_get_xid(gdkWindow), RevertToParent,
                 CurrentTime);
  // At once: the page learns of the press over the web engine's own channel,
  // and keys typed right after it must already find the focus here.
  XFlush(GDK_DISPLAY_XDISPLAY(display));
  gdk_x11_display_error_trap_pop_ignored(display);
}

GtkWindowImpl::~GtkWindowImpl() {
  *alive_ = false;
  gui_.RemoveWindow(this);
  for (auto& [id, source] : timers_) {
    g_source_remove(source);
  }
  timers_.clear();
  if (modalLoop_ != nullptr) {
    g_main_loop_quit(modalLoop_);
  }
  g_signal_handlers_disconnect_by_data(layout_.get(), this);
  if (focusOnPress_ != nullptr) {
    g_signal_handlers_disconnect_by_data(focusOnPress_, this);
    g_object_unref(focusOnPress_);
  }
  if (foreignParent_ != nullptr) {
    gdk_window_remove_filter(foreignParent_, OnParentXEvent, this);
    g_object_unref(foreignParent_);
  }
  if (window_) {
    if (compositedHandler_ != 0) {
      g_signal_handler_disconnect(gtk_widget_get_screen(window_.get()), compositedHandler_);
    }
    g_signal_handlers_disconnect_by_data(window_.get(), this);
  } else {
    // A child's layout leaves its parent now; the members then drop the
    // window (destroyed with the layout inside it) and the layout.
    gtk_widget_destroy(layout_.get());
  }
}

GtkWidget* GtkWindowImpl::TopWidget() const {
  if (window_) {
    return window_.get();
  }
  GtkWidget* top = gtk_widget_get_toplevel(layout_.get());
  return gtk_widget_is_toplevel(top) ? top : nullptr;
}

NativeWindowId GtkWindowImpl::Handle() const {
  GtkWidget* widget = window_ ? window_.get() : layout_.get();
  GtkWidget* parent = !window_ ? gtk_widget_get_parent(layout_.get()) : nullptr;
  if (!window_ && (parent == nullptr || !gtk_widget_get_realized(parent))) {
    return static_cast<NativeWindowId>(ExistingXid());
  }
  gtk_widget_realize(widget);
  GdkWindow* gdkWindow = gtk_widget_get_window(widget);
  if (gdkWindow == nullptr || !gdk_window_ensure_native(gdkWindow)) {
    return 0;
  }
  return static_cast<NativeWindowId>(gdk_x11_window_get_xid(gdkWindow));
}

unsigned long GtkWindowImpl::ExistingXid() const {
  GtkWidget* widget = window_ ? window_.get() : layout_.get();
  GdkWindow* gdkWindow = gtk_widget_get_window(widget);
  if (gdkWindow == nullptr || !gdk_window_has_native(gdkWindow)) {
    return 0;
  }
  return gdk_x11_window_get_xid(gdkWindow);
}

void GtkWindowImpl::SetTitle(const std::string& title) {
  if (window_) {
    gtk_window_set_title(GTK_WINDOW(window_.get()), title.c_str());
  }
}

void GtkWindowImpl::Place(const Rect& rect) {
  rect_ = rect;
  if (window_) {
    if (kind_ != WindowKind::kEmbedded || gtk_widget_get_realized(window_.get())) {
      gtk_window_move(GTK_WINDOW(window_.get()), rect.x, rect.y);
    }
    gtk_window_resize(GTK_WINDOW(window_.get()), std::max(rect.width, 1), std::max(rect.height, 1));
    return;
  }
  // The parent is asked through GTK: its window object may be gone already.
  GtkWidget* parent = gtk_widget_get_parent(layout_.get());
  if (parent != nullptr && GTK_IS_LAYOUT(parent)) {
    gtk_widget_set_size_request(layout_.get(), std::max(rect.width, 0), std::max(rect.height, 0));
    gtk_layout_move(GTK_LAYOUT(parent), layout_.get(), rect.x, rect.y);
  }
}

Rect GtkWindowImpl::Geometry() const {
  return rect_;
}

Size GtkWindowImpl::ClientSize() const {
  return {rect_.width, rect_.height};
}

Point GtkWindowImpl::ClientToScreen(Point client) const {
  GdkWindow* gdkWindow = gtk_widget_get_mapped(layout_.get())
                             ? gtk_layout_get_bin_window(GTK_LAYOUT(layout_.get()))
                             : nullptr;
  if (gdkWindow != nullptr) {
    int x = 0;
    int y = 0;
    gdk_window_get_origin(gdkWindow, &x, &y);
    return {client.x + x, client.y + y};
  }
  return {client.x + rect_.x, client.y + rect_.y};
}

void GtkWindowImpl::Show() {
  if (window_) {
    gtk_widget_show(window_.get());
  } else {
    gtk_widget_show(layout_.get());
  }
}

void GtkWindowImpl::Hide() {
  gtk_widget_hide(window_ ? window_.get() : layout_.get());
}

bool GtkWindowImpl::IsVisible() const {
  return gtk_widget_get_visible(window_ ? window_.get() : layout_.get()) != FALSE;
}

void GtkWindowImpl::Activate() {
  if (window_) {
    gtk_window_present_with_time(GTK_WINDOW(window_.get()), gtk_get_current_event_time());
  }
}

void GtkWindowImpl::Minimize() {
  if (window_) {
    gtk_window_iconify(GTK_WINDOW(window_.get()));
  }
}

void GtkWindowImpl::Maximize() {
  if (window_) {
    gtk_window_maximize(GTK_WINDOW(window_.get()));
  }
}

void GtkWindowImpl::Restore() {
  if (window_) {
    gtk_window_deiconify(GTK_WINDOW(window_.get()));
    gtk_window_unmaximize(GTK_WINDOW(window_.get()));
    gtk_window_unfullscreen(GTK_WINDOW(window_.get()));
  }
}

void GtkWindowImpl::SetFullscreen(bool on) {
  if (!window_) {
    return;
  }
  if (on) {
    gtk_window_fullscreen(GTK_WINDOW(window_.get()));
  } else {
    gtk_window_unfullscreen(GTK_WINDOW(window_.get()));
  }
}

void GtkWindowImpl::BeginMoveDrag() {
  GtkWidget* top = TopWidget();
  if (top == nullptr || lastPress_.button == 0) {
    return;
  }
  gtk_window_begin_move_drag(GTK_WINDOW(top), static_cast<gint>(lastPress_.button),
                             static_cast<gint>(lastPress_.rootX),
                             static_cast<gint>(lastPress_.rootY), lastPress_.time);
}

void GtkWindowImpl::SetTaskbarEntry(bool shown) {
  if (window_) {
    gtk_window_set_skip_taskbar_hint(GTK_WINDOW(window_.get()), !shown);
    gtk_window_set_skip_pager_hint(GTK_WINDOW(window_.get()), !shown);
  }
}

void GtkWindowImpl::SetKeepAbove(bool above) {
  if (window_) {
    gtk_window_set_keep_above(GTK_WINDOW(window_.get()), above);
  }
}

// The opacity is a property of the native window (_NET_WM_WINDOW_OPACITY, which
// the compositing manager reads); a window not made yet gets it when realised.
void GtkWindowImpl::SetOpacity(std::uint8_t alpha) {
  opacity_ = alpha;
  if (window_ && gtk_widget_get_realized(window_.get())) {
    gdk_window_set_opacity(gtk_widget_get_window(window_.get()), alpha / 255.0);
  }
}

void GtkWindowImpl::OnRealize(GtkWidget* widget, gpointer data) {
  auto* self = static_cast<GtkWindowImpl*>(data);
  if (self->opacity_ != 255) {
    gdk_window_set_opacity(gtk_widget_get_window(widget), self->opacity_ / 255.0);
  }
}

void GtkWindowImpl::SetColorKey(std::optional<Color> key) {
  colorKey_ = key;
  UpdateShape();
}

bool GtkWindowImpl::Composited() const {
  GtkWidget* top = TopWidget();
  GdkScreen* screen = top != nullptr ? gtk_widget_get_screen(top) : gdk_screen_get_default();
  return screen != nullptr && gdk_screen_is_composited(screen) &&
         gdk_screen_get_rgba_visual(screen) != nullptr;
}

// An RGBA visual must be chosen before the native window exists; a window that
// has one already is made again.
void GtkWindowImpl::UseRgbaVisualIfComposited() {
  if (!window_ || !Composited()) {
    return;
  }
  GdkVisual* rgba = gdk_screen_get_rgba_visual(gtk_widget_get_screen(window_.get()));
  if (gtk_widget_get_visual(window_.get()) == rgba) {
    return;
  }
  bool wasVisible = gtk_widget_get_visible(window_.get()) != FALSE;
  if (gtk_widget_get_realized(window_.get())) {
    gtk_widget_hide(window_.get());
    gtk_widget_unrealize(window_.get());
  }
  gtk_widget_set_visual(window_.get(), rgba);
  if (wasVisible) {
    gtk_widget_show(window_.get());
  }
}

void GtkWindowImpl::SetAlphaImage(const Image* image) {
  alphaImage_ = dynamic_cast<const CairoImage*>(image);
  if (alphaImage_ != nullptr) {
    UseRgbaVisualIfComposited();
    Place({rect_.x, rect_.y, alphaImage_->Width(), alphaImage_->Height()});
  }
  UpdateShape();
  Invalidate();
}

// Cuts the window's shape (what shows and what takes input): from the colour
// key of the painted picture, or from the alpha of the per-pixel-alpha image
// when no compositing manager can show that alpha.
void GtkWindowImpl::UpdateShape() {
  GtkWidget* top = window_.get();
  if (top == nullptr) {
    return;
  }
  CairoRegionPtr region;
  if (alphaImage_ != nullptr) {
    if (!Composited()) {
      region = RegionWhere(alphaImage_->Surface(), [](std::uint32_t pixel) {
        return (pixel >> 24) >= kShapeAlphaThreshold;
      });
    }
  } else if (colorKey_) {
    CairoCanvas canvas(ClientSize());
    events_.OnPaint(canvas.GetPainter());
    std::uint32_t key = colorKey_->argb & 0x00FFFFFFu;
    region = RegionWhere(canvas.Surface(), [key](std::uint32_t pixel) {
      return (pixel >> 24) != 0xFF || (pixel & 0x00FFFFFFu) != key;
    });
  }
  if (!region && !shaped_) {
    return;
  }
  gtk_widget_shape_combine_region(top, region.get());
  gtk_widget_input_shape_combine_region(top, region.get());
  shaped_ = static_cast<bool>(region);
}

void GtkWindowImpl::Invalidate() {
  gtk_widget_queue_draw(layout_.get());
}

void GtkWindowImpl::Invalidate(const Rect& area) {
  gtk_widget_queue_draw_area(layout_.get(), area.x, area.y, area.width, area.height);
}

void GtkWindowImpl::SetTimer(int id, int ms, bool repeat) {
  KillTimer(id);
  auto* source = new TimerSource{this, id, repeat, alive_};
  guint tag = g_timeout_add_full(
      G_PRIORITY_DEFAULT, static_cast<guint>(std::max(ms, 0)),
      [](gpointer data) -> gboolean {
        auto* timer = static_cast<TimerSource*>(data);
        auto alive = timer->alive.lock();
        if (!alive || !*alive) {
          return G_SOURCE_REMOVE;
        }
        GtkWindowImpl* self = timer->self;
        int timerId = timer->id;
        bool repeating = timer->repeat;
        if (!repeating) {
          self->timers_.erase(timerId);
        }
        self->events_.OnTimer(timerId);
        return repeating ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
      },
      source, [](gpointer data) { delete static_cast<TimerSource*>(data); });
  timers_[id] = tag;
}

void GtkWindowImpl::KillTimer(int id) {
  auto it = timers_.find(id);
  if (it != timers_.end()) {
    g_source_remove(it->second);
    timers_.erase(it);
  }
}

int GtkWindowImpl::RunModal() {
  modalResult_.reset();
  if (window_) {
    gtk_window_set_modal(GTK_WINDOW(window_.get()), TRUE);
  }
  Show();
  Activate();
  std::weak_ptr<bool> alive = alive_;
  {
    GMainLoopPtr loop(g_main_loop_new(nullptr, FALSE));
    modalLoop_ = loop.get();
    if (!modalResult_) {
      g_main_loop_run(loop.get());
    }
  }
  auto stillAlive = alive.lock();
  if (!stillAlive || !*stillAlive) {
    return 0;
  }
  modalLoop_ = nullptr;
  if (window_) {
    gtk_window_set_modal(GTK_WINDOW(window_.get()), FALSE);
  }
  Hide();
  return modalResult_.value_or(0);
}

void GtkWindowImpl::EndModal(int result) {
  if (modalResult_) {
    return;
  }
  modalResult_ = result;
  if (modalLoop_ != nullptr) {
    g_main_loop_quit(modalLoop_);
  }
}

bool GtkWindowImpl::RegisterHotkey(int id, int modifiers, int key) {
  return gui_.GrabHotkey(this, id, modifiers, key);
}

void GtkWindowImpl::UnregisterHotkey(int id) {
  gui_.UngrabHotkey(this, id);
}

bool GtkWindowImpl::OwnsEvent(GdkWindow* window) const {
  return window == gtk_layout_get_bin_window(GTK_LAYOUT(layout_.get()));
}

gboolean GtkWindowImpl::OnDraw(GtkWidget* widget, cairo_t* cr, gpointer data) {
  auto* self = static_cast<GtkWindowImpl*>(data);
  if (!gtk_cairo_should_draw_window(cr, gtk_layout_get_bin_window(GTK_LAYOUT(widget)))) {
    return FALSE;
  }
  if (self->alphaImage_ != nullptr) {
    cairo_save(cr);
    if (self->Composited()) {
      cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
      cairo_set_source_surface(cr, self->alphaImage_->Surface(), 0, 0);
      cairo_paint(cr);
    } else {
      // Shaped from the alpha channel; what remains is drawn over opaque black.
      cairo_set_source_rgb(cr, 0, 0, 0);
      cairo_paint(cr);
      cairo_set_source_surface(cr, self->alphaImage_->Surface(), 0, 0);
      cairo_paint(cr);
    }
    cairo_restore(cr);
    return FALSE;
  }
  CairoPainter painter(cr);
  cairo_save(cr);
  self->events_.OnPaint(painter);
  cairo_restore(cr);
  return FALSE;
}

gboolean GtkWindowImpl::OnButton(GtkWidget*, GdkEventButton* event, gpointer data) {
  auto* self = static_cast<GtkWindowImpl*>(data);
  if (!self->OwnsEvent(event->window)) {
    return FALSE;
  }
  Point at{static_cast<int>(event->x), static_cast<int>(event->y)};
  MouseButton button = ButtonOf(event->button);
  switch (event->type) {
    case GDK_BUTTON_PRESS:
      self->lastPress_ = {event->button, event->x_root, event->y_root, event->time};
      self->events_.OnMouseDown(button, at);
      break;
    case GDK_2BUTTON_PRESS:
      self->events_.OnDoubleClick(button, at);
      break;
    case GDK_BUTTON_RELEASE:
      self->events_.OnMouseUp(button, at);
      break;
    default:
      break;
  }
  return TRUE;
}

gboolean GtkWindowImpl::OnMotion(GtkWidget*, GdkEventMotion* event, gpointer data) {
  auto* self = static_cast<GtkWindowImpl*>(data);
  if (!self->OwnsEvent(event->window)) {
    return FALSE;
  }
  self->events_.OnMouseMove({static_cast<int>(event->x), static_cast<int>(event->y)});
  return TRUE;
}

// A pointer that jumps into the window (a warp, a window appearing under it)
// brings no motion event: entering counts as a move to where it entered.
gboolean GtkWindowImpl::OnEnter(GtkWidget*, GdkEventCrossing* event, gpointer data) {
  auto* self = static_cast<GtkWindowImpl*>(data);
  if (!self->OwnsEvent(event->window)) {
    return FALSE;
  }
  self->events_.OnMouseMove({static_cast<int>(event->x), static_cast<int>(event->y)});
  return TRUE;
}

gboolean GtkWindowImpl::OnLeave(GtkWidget*, GdkEventCrossing* event, gpointer data) {
  auto* self = static_cast<GtkWindowImpl*>(data);
  if (!self->OwnsEvent(event->window)) {
    return FALSE;
  }
  self->events_.OnMouseLeave();
  return TRUE;
}

gboolean GtkWindowImpl::OnKey(GtkWidget*, GdkEventKey* event, gpointer data) {
  auto* self = static_cast<GtkWindowImpl*>(data);
  int key = PortableKeyOf(event);
  if (key == 0) {
    return FALSE;
  }
  return self->events_.OnKeyDown(key, ModifiersOf(event->state)) ? TRUE : FALSE;
}

gboolean GtkWindowImpl::OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
  static_cast<GtkWindowImpl*>(data)->events_.OnCloseRequest();
  return TRUE;  // the handler decides; the window is never destroyed here
}

gboolean GtkWindowImpl::OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer data) {
  auto* self = static_cast<GtkWindowImpl*>(data);
  GdkWindowState s = event->new_window_state;
  WindowState state = (s & GDK_WINDOW_STATE_ICONIFIED)    ? WindowState::kMinimized
                      : (s & GDK_WINDOW_STATE_FULLSCREEN) ? WindowState::kFullscreen
                      : (s & GDK_WINDOW_STATE_MAXIMIZED)  ? WindowState::kMaximized
                                                          : WindowState::kNormal;
  if (state != self->state_) {
    self->state_ = state;
    self->events_.OnStateChanged(state);
  }
  return FALSE;
}

gboolean GtkWindowImpl::OnConfigure(GtkWidget*, GdkEventConfigure* event, gpointer data) {
  auto* self = static_cast<GtkWindowImpl*>(data);
  int x = self->rect_.x;
  int y = self->rect_.y;
  // An embedded window's place is in its parent and only Place changes it; GDK
  // would report it on the screen, as for any top-level window.
  if (self->kind_ != WindowKind::kEmbedded) {
    gdk_window_get_origin(event->window, &x, &y);
  }
  Rect now{x, y, event->width, event->height};
  if (now != self->rect_) {
    self->rect_ = now;
    self->events_.OnGeometryChanged(now);
  }
  return FALSE;
}

void GtkWindowImpl::OnLayoutAllocated(GtkWidget*, GdkRectangle*, gpointer data) {
  auto* self = static_cast<GtkWindowImpl*>(data);
  if (self->colorKey_) {
    self->UpdateShape();
  }
}

void GtkWindowImpl::OnCompositedChanged(GdkScreen*, gpointer data) {
  auto* self = static_cast<GtkWindowImpl*>(data);
  if (self->alphaImage_ != nullptr) {
    self->UseRgbaVisualIfComposited();
    self->UpdateShape();
    self->Invalidate();
  }
}

}  // namespace kv::platform
