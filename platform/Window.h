#pragma once
// A window of the window system as the launcher's skinned windows use it: no
// system frame, painted entirely by its owner through WindowEvents::OnPaint.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Geometry.h"
#include "platform/Image.h"
#include "platform/Painter.h"

namespace kv::platform {

class Window;

enum class WindowKind {
  kTopLevel,  // undecorated top-level window with a taskbar entry
  kPopup,     // undecorated top-level window kept above its owner, no taskbar entry
  kChild,     // an area inside the owner's client area (buttons, the web view's host)
  // A child of a foreign window given by its native id (another process's
  // window, which need not cooperate). A press in it takes the keyboard focus.
  // MakeWindow gives null when the foreign window does not exist.
  kEmbedded,
  kTooltip,  // a small pop-up over everything that never takes the focus
};

struct WindowOptions {
  WindowKind kind = WindowKind::kTopLevel;
  // kPopup: the window it belongs to (may be null); kChild: the parent (required).
  Window* owner = nullptr;
  // kEmbedded: the foreign parent window; `rect` is then in its client coordinates.
  NativeWindowId foreignParent = 0;
  std::string title;
  // Screen coordinates for top-level windows and pop-ups; the parent's client
  // coordinates for children.
  Rect rect{0, 0, 1, 1};
};

// Window states kept by the window manager.
enum class WindowState { kNormal, kMinimized, kMaximized, kFullscreen };

enum class MouseButton { kLeft, kMiddle, kRight };

// What happens to a window, reported to the portable logic that owns it.
// Positions are in the window's client coordinates. All calls arrive on the
// user-interface thread.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;

  // Draw the whole client area (the painter's target is the window's back buffer
  // of ClientSize(), or any painter passed to Window::RenderInto).
  virtual void OnPaint(Painter&) {}

  // Every press gives OnMouseDown; the second press of a double click gives
  // OnMouseDown followed by OnDoubleClick.
  virtual void OnMouseDown(MouseButton, Point) {}
  virtual void OnMouseUp(MouseButton, Point) {}
  virtual void OnDoubleClick(MouseButton, Point) {}
  // Also reported when the pointer enters the window.
  virtual void OnMouseMove(Point) {}
  virtual void OnMouseLeave() {}

  // A key pressed while this top-level window (or anything inside it, such as
  // a web view) has the keyboard focus, before it is delivered to the focused
  // element. `key` is a portable key code (platform/Keys.h), `modifiers` the
  // kMod* flags held. Return true to consume the key; false delivers it.
  virtual bool OnKeyDown(int /*key*/, int /*modifiers*/) { return false; }

  virtual void OnTimer(int /*id*/) {}

  // The window manager asks to close the window (close button, Alt+F4). The
  // window stays open; the handler decides what happens.
  virtual void OnCloseRequest() {}

  // The window manager changed the state (minimised, maximised, ...).
  virtual void OnStateChanged(WindowState) {}
  // The window moved or changed size; `geometry` as Window::Geometry() reports it.
  virtual void OnGeometryChanged(const Rect& /*geometry*/) {}

  // kEmbedded: the foreign parent's client area changed size (reported by the
  // window system; the parent's owner need not say so).
  virtual void OnParentSizeChanged(const Size& /*size*/) {}

  // A message sent to this window's native id (Gui::SendWindowMessage), from
  // this or another process.
  virtual void OnMessage(int /*message*/, std::int64_t /*param*/) {}

  // A global hotkey registered on this window was pressed.
  virtual void OnHotkey(int /*id*/) {}
};

class Window {
 public:
  virtual ~Window() = default;  // destroys the native window
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // The native id (an X11 window id), valid while the window exists.
  virtual NativeWindowId Handle() const = 0;

  virtual void SetTitle(const std::string& title) = 0;

  // Moves and sizes the window (screen coordinates; for children the parent's
  // client coordinates). The window manager may refuse a place for a maximised
  // or fullscreen window.
  virtual void Place(const Rect& rect) = 0;
  // The current place, as known from the window system (screen coordinates for
  // top-level windows, parent client coordinates for children).
  virtual Rect Geometry() const = 0;
  virtual Size ClientSize() const = 0;
  virtual Point ClientToScreen(Point client) const = 0;

  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual bool IsVisible() const = 0;
  // Raises the window and gives it the keyboard focus.
  virtual void Activate() = 0;

  // Window-manager states (top-level windows only).
  virtual void Minimize() = 0;
  virtual void Maximize() = 0;
  virtual void Restore() = 0;  // leaves minimised and maximised
  virtual void SetFullscreen(bool on) = 0;
  virtual WindowState State() const = 0;
  bool IsZoomed() const {
    return State() == WindowState::kMaximized || State() == WindowState::kFullscreen;
  }

  // Lets the window manager move the window with the mouse, as if its caption
  // had been grabbed. Only meaningful inside OnMouseDown of the left button.
  virtual void BeginMoveDrag() = 0;

  virtual void SetTaskbarEntry(bool shown) = 0;
  virtual void SetKeepAbove(bool above) = 0;
  // Opacity of the whole window, 0..255 (needs a compositing manager to show).
  virtual void SetOpacity(std::uint8_t alpha) = 0;
  // Pixels of exactly this colour in the painted picture become holes: they
  // show what is behind and take no input. nullopt removes the shape.
  virtual void SetColorKey(std::optional<Color> key) = 0;
  // Shows `image` as the window's whole picture with per-pixel alpha and sizes
  // the window to it; OnPaint is not used then. Null goes back to OnPaint.
  virtual void SetAlphaImage(const Image* image) = 0;

  // Asks for OnPaint of the whole client area, or of a part of it, soon.
  virtual void Invalidate() = 0;
  virtual void Invalidate(const Rect& area) = 0;
  // Runs this window's OnPaint on any painter (an off-screen canvas, for example).
  virtual void RenderInto(Painter& painter) = 0;

  // Timers of this window: OnTimer(id) every `ms` milliseconds, or once.
  // Setting an id that runs already restarts it with the new period.
  virtual void SetTimer(int id, int ms, bool repeat = true) = 0;
  virtual void KillTimer(int id) = 0;

  // Shows the window and runs a nested event loop until EndModal; input to the
  // other windows of the program is blocked meanwhile. Returns EndModal's value.
  virtual int RunModal() = 0;
  virtual void EndModal(int result) = 0;

  // Global hotkey on the whole display: `key` a portable key code, `modifiers`
  // kMod* flags. Delivered as OnHotkey(id). False when the key cannot be had.
  virtual bool RegisterHotkey(int id, int modifiers, int key) = 0;
  virtual void UnregisterHotkey(int id) = 0;
};

}  // namespace kv::platform
