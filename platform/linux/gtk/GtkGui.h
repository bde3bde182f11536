#pragma once

#include <cstdint>
#include <vector>

#include "platform/Gui.h"
#include "platform/linux/GlibPtr.h"

typedef struct _WebKitWebContext WebKitWebContext;
typedef union _GdkEvent GdkEvent;
typedef void GdkXEvent;

namespace kv::platform {

class GtkWindowImpl;

// The GTK 3 / WebKitGTK 4.1 / X11 implementation of the window system.
class GtkGui final : public Gui {
 public:
  GtkGui();
  ~GtkGui() override;
  GtkGui(const GtkGui&) = delete;
  GtkGui& operator=(const GtkGui&) = delete;

  bool Initialize() override;
  std::unique_ptr<Window> MakeWindow(const WindowOptions& options, WindowEvents& events) override;
  std::unique_ptr<WebView> MakeWebView(Window& host, WebViewEvents& events,
                                       const WebViewOptions& options) override;
  std::unique_ptr<Image> DecodePng(std::span<const std::uint8_t> bytes) override;
  std::unique_ptr<Image> CreateImage(int width, int height,
                                     std::span<const std::uint32_t> argb) override;
  std::unique_ptr<Canvas> CreateCanvas(Size size) override;
  Size ScreenSize() override;
  Rect WorkArea() override;
  bool IsActiveApplication() override;
  bool SendWindowMessage(NativeWindowId target, int message, std::int64_t param) override;
  bool WindowExists(NativeWindowId target) override;
  std::optional<Size> WindowClientSize(NativeWindowId target) override;
  std::unique_ptr<WindowProbe> MakeWindowProbe() override;
  void RunMainLoop() override;
  void QuitMainLoop() override;
  void RunOnUiThread(std::function<void()> task) override;
  void ClearWebData(std::function<void(bool)> done) override;
  std::filesystem::path WebDataFolder() override;
  std::filesystem::path WebCacheFolder() override;

  // --- for the backend's windows
  void AddWindow(GtkWindowImpl* window);
  void RemoveWindow(GtkWindowImpl* window);
  bool GrabHotkey(GtkWindowImpl* owner, int id, int modifiers, int key);
  void UngrabHotkey(GtkWindowImpl* owner, int id);
  // The one web engine context of the process (persistent data, cookies kept).
  WebKitWebContext* WebContext();

 private:
  struct Hotkey {
    GtkWindowImpl* owner;
    int id;
    int keycode;
    unsigned int modifiers;  // X modifier mask
  };
  static int FilterXEvent(GdkXEvent* xevent, GdkEvent* event, void* data);
  bool HandleXEvent(void* xevent);
  // The X input focus is on one of this program's windows.
  bool HasInputFocus();
  void GrabVariants(const Hotkey& hotkey, bool grab);

  bool initialized_ = false;
  std::vector<GtkWindowImpl*> windows_;
  std::vector<Hotkey> hotkeys_;
  GObjectPtr<WebKitWebContext> webContext_;
  int mainLoopDepth_ = 0;
};

}  // namespace kv::platform
