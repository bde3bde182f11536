#pragma once
// The window system as the launcher's windows need it. The GTK 3 / WebKitGTK /
// X11 backend lives in platform/linux/gtk/; tests use the recording double in
// tests/fake/. Everything here runs on the user-interface thread, except
// RunOnUiThread, which any thread may call (a WindowProbe, made here, is asked
// from another thread). (Names avoid the Win32 macros
// CreateWindow, SendMessage and DrawText, so a Windows backend can include
// <windows.h> beside these headers.)

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "platform/Geometry.h"
#include "platform/Image.h"
#include "platform/Painter.h"
#include "platform/WebView.h"
#include "platform/Window.h"
#include "platform/WindowProbe.h"

namespace kv::platform {

class Gui {
 public:
  virtual ~Gui() = default;

  // Connects to the display. False when there is none; no window can be made then.
  // Images and canvases work without a display.
  virtual bool Initialize() = 0;

  // --- windows and the web view
  virtual std::unique_ptr<Window> MakeWindow(const WindowOptions& options,
                                             WindowEvents& events) = 0;
  // A web view inside `host` (collapsed until placed).
  virtual std::unique_ptr<WebView> MakeWebView(Window& host, WebViewEvents& events,
                                               const WebViewOptions& options) = 0;

  // --- pictures
  // Decodes a PNG file held in memory; null when the bytes are not a PNG.
  virtual std::unique_ptr<Image> DecodePng(std::span<const std::uint8_t> bytes) = 0;
  // An image from straight-alpha 0xAARRGGBB pixels, row by row (width * height values).
  virtual std::unique_ptr<Image> CreateImage(int width, int height,
                                             std::span<const std::uint32_t> argb) = 0;
  virtual std::unique_ptr<Canvas> CreateCanvas(Size size) = 0;

  // --- the screen
  virtual Size ScreenSize() = 0;
  // The screen minus the panels/taskbars the window manager reserves
  // (_NET_WORKAREA); the whole screen when the window manager names none.
  virtual Rect WorkArea() = 0;
  // True when one of this program's windows has the keyboard focus.
  virtual bool IsActiveApplication() = 0;

  // --- other processes' windows
  // Delivers OnMessage(message, param) to the window `target` of this program
  // (in any process). Asynchronous: it returns once the message is on its way,
  // not when it has been handled. False when `target` names no window.
  virtual bool SendWindowMessage(NativeWindowId target, int message, std::int64_t param) = 0;
  virtual bool WindowExists(NativeWindowId target) = 0;
  // The size of the client area of `target` (a window of any process; on X11
  // the window's own size); nullopt when `target` names no window.
  virtual std::optional<Size> WindowClientSize(NativeWindowId target) = 0;
  // A probe for another thread that watches whether windows still exist (see
  // platform/WindowProbe.h). Never null.
  virtual std::unique_ptr<WindowProbe> MakeWindowProbe() = 0;

  // --- the event loop
  // Runs the main event loop until QuitMainLoop.
  virtual void RunMainLoop() = 0;
  virtual void QuitMainLoop() = 0;
  // Runs `task` on the user-interface thread soon; callable from any thread.
  virtual void RunOnUiThread(std::function<void()> task) = 0;

  // --- web engine data
  // Deletes what the web engine keeps on disk and in memory (caches, local
  // storage, ...) except cookies, then calls done(success) on the UI thread.
  virtual void ClearWebData(std::function<void(bool)> done) = 0;
  // Folders the web engine stores its data and its disk cache in.
  virtual std::filesystem::path WebDataFolder() = 0;
  virtual std::filesystem::path WebCacheFolder() = 0;
};

}  // namespace kv::platform
