#pragma once
// A Window on GTK 3: a GtkWindow for top-level kinds (the embedded kind too, see
// EmbedInto), whose client area is a GtkLayout; a child is a GtkLayout inside
// its parent's layout. The layout carries the painting, the mouse input and any
// children or web views.

#include <gtk/gtk.h>

#include <map>
#include <memory>
#include <optional>

#include "platform/Window.h"
#include "platform/linux/GlibPtr.h"
#include "platform/linux/gtk/GtkPtr.h"

namespace kv::platform {

class GtkGui;
class CairoImage;

class GtkWindowImpl final : public Window {
 public:
  GtkWindowImpl(GtkGui& gui, const WindowOptions& options, WindowEvents& events);
  ~GtkWindowImpl() override;

  NativeWindowId Handle() const override;
  void SetTitle(const std::string& title) override;
  void Place(const Rect& rect) override;
  Rect Geometry() const override;
  Size ClientSize() const override;
  Point ClientToScreen(Point client) const override;
  void Show() override;
  void Hide() override;
  bool IsVisible() const override;
  void Activate() override;
  void Minimize() override;
  void Maximize() override;
  void Restore() override;
  void SetFullscreen(bool on) override;
  WindowState State() const override { return state_; }
  void BeginMoveDrag() override;
  void SetTaskbarEntry(bool shown) override;
  void SetKeepAbove(bool above) override;
  void SetOpacity(std::uint8_t alpha) override;
  void SetColorKey(std::optional<Color> key) override;
  void SetAlphaImage(const Image* image) override;
  void Invalidate() override;
  void Invalidate(const Rect& area) override;
  void RenderInto(Painter& painter) override { events_.OnPaint(painter); }
  void SetTimer(int id, int ms, bool repeat) override;
  void KillTimer(int id) override;
  int RunModal() override;
  void EndModal(int result) override;
  bool RegisterHotkey(int id, int modifiers, int key) override;
  void UnregisterHotkey(int id) override;

  // --- backend
  GtkWidget* ClientWidget() const { return layout_.get(); }
  GtkWidget* TopWidget() const;
  // The X id if the native window exists already (no realisation forced).
  unsigned long ExistingXid() const;
  WindowEvents& Events() { return events_; }
  // kEmbedded: the window sits inside its foreign parent.
  bool IsEmbedded() const { return embedded_; }

 private:
  struct TimerSource;
  static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer self);
  static gboolean OnButton(GtkWidget* widget, GdkEventButton* event, gpointer self);
  static gboolean OnMotion(GtkWidget* widget, GdkEventMotion* event, gpointer self);
  static gboolean OnEnter(GtkWidget* widget, GdkEventCrossing* event, gpointer self);
  static gboolean OnLeave(GtkWidget* widget, GdkEventCrossing* event, gpointer self);
  static gboolean OnKey(GtkWidget* widget, GdkEventKey* event, gpointer self);
  static gboolean OnDelete(GtkWidget* widget, GdkEvent* event, gpointer self);
  static gboolean OnWindowState(GtkWidget* widget, GdkEventWindowState* event, gpointer self);
  static gboolean OnConfigure(GtkWidget* widget, GdkEventConfigure* event, gpointer self);
  static void OnRealize(GtkWidget* widget, gpointer self);
  static void OnLayoutAllocated(GtkWidget* widget, GdkRectangle* allocation, gpointer self);
  static void OnCompositedChanged(GdkScreen* screen, gpointer self);
  static void OnEmbeddedPress(GtkGestureMultiPress* gesture, gint presses, gdouble x, gdouble y,
                              gpointer self);
  static GdkFilterReturn OnParentXEvent(GdkXEvent* xevent, GdkEvent* event, gpointer self);

  bool EmbedInto(NativeWindowId parent);

  bool IsTopKind() const { return static_cast<bool>(window_); }
  bool OwnsEvent(GdkWindow* window) const;
  bool Composited() const;
  void UpdateShape();
  void UseRgbaVisualIfComposited();

  GtkGui& gui_;
  WindowKind kind_;
  WindowEvents& events_;
  // The client area. A child's layout is destroyed by the destructor, a
  // top-level one with its window.
  GObjectPtr<GtkWidget> layout_;
  // GtkWindow of top-level kinds, else empty. Declared after layout_
  // so that it goes first, taking the layout out of the window.
  OwnedWidgetPtr window_;
  Rect rect_;
  WindowState state_ = WindowState::kNormal;
  std::optional<Color> colorKey_;
  const CairoImage* alphaImage_ = nullptr;
  bool shaped_ = false;
  std::uint8_t opacity_ = 255;
  std::map<int, guint> timers_;
  GMainLoop* modalLoop_ = nullptr;  // the loop RunModal runs, while it runs
  std::optional<int> modalResult_;
  struct Press {
    guint button = 0;
    double rootX = 0;
    double rootY = 0;
    guint32 time = 0;
  } lastPress_;
  gulong compositedHandler_ = 0;
  bool embedded_ = false;
  GtkGesture* focusOnPress_ = nullptr;  // kEmbedded
  GdkWindow* foreignParent_ = nullptr;  // kEmbedded: watched for its size
  Size parentSize_;
  // Cleared on destruction; handlers that call out check it before touching members again.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace kv::platform
