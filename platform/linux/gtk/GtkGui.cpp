#include "platform/linux/gtk/GtkGui.h"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <filesystem>

#include "app/Paths.h"
#include "platform/Keys.h"
#include "platform/linux/gtk/CairoPainter.h"
#include "platform/linux/gtk/GtkWebViewImpl.h"
#include "platform/linux/gtk/GtkWindowImpl.h"
#include "platform/linux/gtk/KeyCodes.h"
#include "platform/linux/gtk/XcbWindowProbe.h"

namespace kv::platform {

namespace {

// The ClientMessage type that carries SendWindowMessage between processes.
constexpr char kMessageAtom[] = "_KORVANE_MESSAGE";

Display* XDisplay() {
  GdkDisplay* display = gdk_display_get_default();
  if (display == nullptr || !GDK_IS_X11_DISPLAY(display)) {
    return nullptr;
  }
  return GDK_DISPLAY_XDISPLAY(display);
}

GdkMonitor* PrimaryMonitor() {
  GdkDisplay* display = gdk_display_get_default();
  if (display == nullptr) {
    return nullptr;
  }
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  return monitor != nullptr ? monitor : gdk_display_get_monitor(display, 0);
}

unsigned int XModifiersOf(int modifiers) {
  unsigned int mask = 0;
  if ((modifiers & kModAlt) != 0) {
    mask |= Mod1Mask;
  }
  if ((modifiers & kModCtrl) != 0) {
    mask |= ControlMask;
  }
  if ((modifiers & kModShift) != 0) {
    mask |= ShiftMask;
  }
  return mask;
}

// A hotkey must work whatever the state of CapsLock (Lock) and NumLock (Mod2).
constexpr unsigned int kLockVariants[] = {0, LockMask, Mod2Mask, LockMask | Mod2Mask};

}  // namespace

GtkGui::GtkGui() = default;

GtkGui::~GtkGui() {
  if (initialized_) {
    gdk_window_remove_filter(nullptr, reinterpret_cast<GdkFilterFunc>(&GtkGui::FilterXEvent), this);
  }
}

bool GtkGui::Initialize() {
  if (initialized_) {
    return true;
  }
  // The launcher draws on X11 (window ids, shapes, XGrabKey).
  gdk_set_allowed_backends("x11");
  if (gtk_init_check(nullptr, nullptr) == FALSE || XDisplay() == nullptr) {
    return false;
  }
  gdk_window_add_filter(nullptr, reinterpret_cast<GdkFilterFunc>(&GtkGui::FilterXEvent), this);
  initialized_ = true;
  return true;
}

std::unique_ptr<Window> GtkGui::MakeWindow(const WindowOptions& options, WindowEvents& events) {
  if (!initialized_) {
    return nullptr;
  }
  auto window = std::make_unique<GtkWindowImpl>(*this, options, events);
  if (options.kind == WindowKind::kEmbedded && !window->IsEmbedded()) {
    return nullptr;  // the foreign parent does not exist (any more)
  }
  return window;
}

std::unique_ptr<WebView> GtkGui::MakeWebView(Window& host, WebViewEvents& events,
                                             const WebViewOptions& options) {
  auto* hostImpl = dynamic_cast<GtkWindowImpl*>(&host);
  if (!initialized_ || hostImpl == nullptr) {
    return nullptr;
  }
  return std::make_unique<GtkWebViewImpl>(*this, *hostImpl, events, options);
}

std::unique_ptr<Image> GtkGui::DecodePng(std::span<const std::uint8_t> bytes) {
  return DecodePngBytes(bytes);
}

std::unique_ptr<Image> GtkGui::CreateImage(int width, int height,
                                           std::span<const std::uint32_t> argb) {
  return ImageFromPixels(width, height, argb);
}

std::unique_ptr<Canvas> GtkGui::CreateCanvas(Size size) {
  return std::make_unique<CairoCanvas>(size);
}

Size GtkGui::ScreenSize() {
  GdkMonitor* monitor = PrimaryMonitor();
  if (monitor == nullptr) {
    return {};
  }
  GdkRectangle geometry;
  gdk_monitor_get_geometry(monitor, &geometry);
  return {geometry.width, geometry.height};
}

Rect GtkGui::WorkArea() {
  GdkMonitor* monitor = PrimaryMonitor();
  if (monitor == nullptr) {
    return {};
  }
  GdkRectangle area;
  gdk_monitor_get_workarea(monitor, &area);
  return {area.x, area.y, area.width, area.height};
}

// GTK's own notion is not enough: while a grabbed hotkey is down, the X server
// tells the focused window that the focus went to the grab (FocusOut with
// NotifyGrab), and GTK counts the window inactive until the key is released,
// just when a hotkey handler asks. The X input focus itself does not move.
bool GtkGui::IsActiveApplication() {
  GListPtr toplevels(gtk_window_list_toplevels());
  for (GList* item = toplevels.get(); item != nullptr; item = item->next) {
    if (gtk_window_is_active(GTK_WINDOW(item->data))) {
      return true;
    }
  }
  return HasInputFocus();
}

bool GtkGui::HasInputFocus() {
  Display* display = XDisplay();
  if (display == nullptr) {
    return false;
  }
  GdkDisplay* gdkDisplay = gdk_display_get_default();
  ::Window focus = None;
  int revert = 0;
  XGetInputFocus(display, &focus, &revert);
  // The focus may sit on a child of a toplevel (GDK's own focus window, for one).
  gdk_x11_display_error_trap_push(gdkDisplay);
  bool ours = false;
  while (focus != None && focus != PointerRoot && !ours) {
    ours = gdk_x11_window_lookup_for_display(gdkDisplay, focus) != nullptr;
    ::Window root = None;
    ::Window parent = None;
    ::Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, focus, &root, &parent, &children, &count) == 0) {
      break;
    }
    if (children != nullptr) {
      XFree(children);
    }
    focus = parent == root ? None : parent;
  }
  gdk_x11_display_error_trap_pop_ignored(gdkDisplay);
  return ours;
}

bool GtkGui::WindowExists(NativeWindowId target) {
  Display* display = XDisplay();
  if (display == nullptr || target <= 0) {
    return false;
  }
  GdkDisplay* gdkDisplay = gdk_display_get_default();
  gdk_x11_display_error_trap_push(gdkDisplay);
  XWindowAttributes attributes;
  Status status = XGetWindowAttributes(display, static_cast<::Window>(target), &attributes);
  bool failed = gdk_x11_display_error_trap_pop(gdkDisplay) != 0;
  return status != 0 && !failed;
}

std::optional<Size> GtkGui::WindowClientSize(NativeWindowId target) {
  Display* display = XDisplay();
  if (display == nullptr || target <= 0) {
    return std::nullopt;
  }
  GdkDisplay* gdkDisplay = gdk_display_get_default();
  gdk_x11_display_error_trap_push(gdkDisplay);
  XWindowAttributes attributes;
  Status status = XGetWindowAttributes(display, static_cast<::Window>(target), &attributes);
  bool failed = gdk_x11_display_error_trap_pop(gdkDisplay) != 0;
  if (status == 0 || failed) {
    return std::nullopt;
  }
  return Size{attributes.width, attributes.height};
}

std::unique_ptr<WindowProbe> GtkGui::MakeWindowProbe() {
  GdkDisplay* display = gdk_display_get_default();
  return std::make_unique<XcbWindowProbe>(display != nullptr ? gdk_display_get_name(display)
                                                             : nullptr);
}

bool GtkGui::SendWindowMessage(NativeWindowId target, int message, std::int64_t param) {
  Display* display = XDisplay();
  if (display == nullptr || !WindowExists(target)) {
    return false;
  }
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.display = display;
  event.xclient.window = static_cast<::Window>(target);
  event.xclient.message_type = XInternAtom(display, kMessageAtom, False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = message;
  event.xclient.data.l[1] = static_cast<long>(static_cast<std::uint64_t>(param) & 0xFFFFFFFFu);
  event.xclient.data.l[2] = static_cast<long>(static_cast<std::uint64_t>(param) >> 32);
  GdkDisplay* gdkDisplay = gdk_display_get_default();
  gdk_x11_display_error_trap_push(gdkDisplay);
  Status sent = XSendEvent(display, static_cast<::Window>(target), False, NoEventMask, &event);
  XFlush(display);
  bool failed = gdk_x11_display_error_trap_pop(gdkDisplay) != 0;
  return sent != 0 && !failed;
}

int GtkGui::FilterXEvent(GdkXEvent* xevent, GdkEvent*, void* data) {
  return static_cast<GtkGui*>(data)->HandleXEvent(xevent) ? GDK_FILTER_REMOVE : GDK_FILTER_CONTINUE;
}

bool GtkGui::HandleXEvent(void* raw) {
  auto* event = static_cast<XEvent*>(raw);
  Display* display = XDisplay();
  if (display == nullptr) {
    return false;
  }
  if (event->type == ClientMessage &&
      event->xclient.message_type == XInternAtom(display, kMessageAtom, True)) {
    for (GtkWindowImpl* window : windows_) {
      if (window->ExistingXid() == event->xclient.window) {
        auto low = static_cast<std::uint64_t>(event->xclient.data.l[1]) & 0xFFFFFFFFu;
        auto high = static_cast<std::uint64_t>(event->xclient.data.l[2]) & 0xFFFFFFFFu;
        window->Events().OnMessage(static_cast<int>(event->xclient.data.l[0]),
                                   static_cast<std::int64_t>((high << 32) | low));
        break;
      }
    }
    return true;
  }
  if (event->type == KeyPress && event->xkey.window == DefaultRootWindow(display)) {
    unsigned int state = event->xkey.state & (ShiftMask | ControlMask | Mod1Mask);
    for (const Hotkey& hotkey : hotkeys_) {
      if (hotkey.keycode == static_cast<int>(event->xkey.keycode) && hotkey.modifiers == state) {
        GtkWindowImpl* owner = hotkey.owner;
        int id = hotkey.id;
        owner->Events().OnHotkey(id);
        return true;
      }
    }
  }
  return false;
}

void GtkGui::GrabVariants(const Hotkey& hotkey, bool grab) {
  Display* display = XDisplay();
  ::Window root = DefaultRootWindow(display);
  for (unsigned int lock : kLockVariants) {
    if (grab) {
      XGrabKey(display, hotkey.keycode, hotkey.modifiers | lock, root, False, GrabModeAsync,
               GrabModeAsync);
    } else {
      XUngrabKey(display, hotkey.keycode, hotkey.modifiers | lock, root);
    }
  }
}

bool GtkGui::GrabHotkey(GtkWindowImpl* owner, int id, int modifiers, int key) {
  UngrabHotkey(owner, id);
  Display* display = XDisplay();
  unsigned int keysym = KeysymFromPortableKey(key);
  if (display == nullptr || keysym == 0) {
    return false;
  }
  int keycode = XKeysymToKeycode(display, keysym);
  if (keycode == 0) {
    return false;
  }
  Hotkey hotkey{owner, id, keycode, XModifiersOf(modifiers)};
  GdkDisplay* gdkDisplay = gdk_display_get_default();
  gdk_x11_display_error_trap_push(gdkDisplay);
  GrabVariants(hotkey, true);
  XSync(display, False);
  if (gdk_x11_display_error_trap_pop(gdkDisplay) != 0) {
    // Another client holds the key: release whatever variants were had.
    gdk_x11_display_error_trap_push(gdkDisplay);
    GrabVariants(hotkey, false);
    gdk_x11_display_error_trap_pop_ignored(gdkDisplay);
    return false;
  }
  hotkeys_.push_back(hotkey);
  return true;
}

void GtkGui::UngrabHotkey(GtkWindowImpl* owner, int id) {
  auto it = std::find_if(hotkeys_.begin(), hotkeys_.end(), [&](const Hotkey& hotkey) {
    return hotkey.owner == owner && hotkey.id == id;
  });
  if (it == hotkeys_.end()) {
    return;
  }
  Hotkey hotkey = *it;
  hotkeys_.erase(it);
  bool stillUsed = std::any_of(hotkeys_.begin(), hotkeys_.end(), [&](const Hotkey& other) {
    return other.keycode == hotkey.keycode && other.modifiers == hotkey.modifiers;
  });
  if (!stillUsed && XDisplay() != nullptr) {
    GdkDisplay* gdkDisplay = gdk_display_get_default();
    gdk_x11_display_error_trap_push(gdkDisplay);
    GrabVariants(hotkey, false);
    gdk_x11_display_error_trap_pop_ignored(gdkDisplay);
  }
}

void GtkGui::AddWindow(GtkWindowImpl* window) {
  windows_.push_back(window);
}

void GtkGui::RemoveWindow(GtkWindowImpl* window) {
  windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
  std::vector<int> ids;
  for (const Hotkey& hotkey : hotkeys_) {
    if (hotkey.owner == window) {
      ids.push_back(hotkey.id);
    }
  }
  for (int id : ids) {
    UngrabHotkey(window, id);
  }
}

void GtkGui::RunMainLoop() {
  ++mainLoopDepth_;
  gtk_main();
  --mainLoopDepth_;
}

void GtkGui::QuitMainLoop() {
  if (gtk_main_level() > 0) {
    gtk_main_quit();
  }
}

void GtkGui::RunOnUiThread(std::function<void()> task) {
  g_idle_add_full(
      G_PRIORITY_DEFAULT,
      [](gpointer data) -> gboolean {
        (*static_cast<std::function<void()>*>(data))();
        return G_SOURCE_REMOVE;
      },
      new std::function<void()>(std::move(task)),
      [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
}

std::filesystem::path GtkGui::WebDataFolder() {
  return std::filesystem::path(app::GetProgramFolder()) / "webdata";
}

std::filesystem::path GtkGui::WebCacheFolder() {
  return std::filesystem::path(app::GetProgramFolder()) / "webcache";
}

WebKitWebContext* GtkGui::WebContext() {
  if (!webContext_) {
    std::string data = WebDataFolder().string();
    std::string cache = WebCacheFolder().string();
    GObjectPtr<WebKitWebsiteDataManager> manager(webkit_website_data_manager_new(
        "base-data-directory", data.c_str(), "base-cache-directory", cache.c_str(), nullptr));
    std::string cookies = (WebDataFolder() / "cookies.sqlite").string();
    webkit_cookie_manager_set_persistent_storage(
        webkit_website_data_manager_get_cookie_manager(manager.get()), cookies.c_str(),
        WEBKIT_COOKIE_PERSISTENT_STORAGE_SQLITE);
    webContext_.reset(webkit_web_context_new_with_website_data_manager(manager.get()));
  }
  return webContext_.get();
}

void GtkGui::ClearWebData(std::function<void(bool)> done) {
  WebKitWebsiteDataManager* manager = webkit_web_context_get_website_data_manager(WebContext());
  auto types =
      static_cast<WebKitWebsiteDataTypes>(WEBKIT_WEBSITE_DATA_ALL & ~WEBKIT_WEBSITE_DATA_COOKIES);
  webkit_website_data_manager_clear(
      manager, types, 0, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        std::unique_ptr<std::function<void(bool)>> callback(
            static_cast<std::function<void(bool)>*>(data));
        bool ok = webkit_website_data_manager_clear_finish(WEBKIT_WEBSITE_DATA_MANAGER(source),
                                                           result, nullptr) != FALSE;
        (*callback)(ok);
      },
      new std::function<void(bool)>(std::move(done)));
}

}  // namespace kv::platform
