#pragma once
// The embedded web engine view (WebKitGTK on Linux), placed inside a window.

#include <string>

#include "platform/Geometry.h"
#include "platform/Window.h"

namespace kv::platform {

// What the page does, reported to the portable owner. All calls arrive on the
// user-interface thread.
class WebViewEvents {
 public:
  virtual ~WebViewEvents() = default;

  // A navigation is about to start: the top-level page, a frame inside it, or a
  // link that opens a new window. Setting `cancel` stops it.
  virtual void OnBeforeNavigate(const std::string& /*url*/, bool& /*cancel*/) {}
  // The top-level page committed to a new document.
  virtual void OnNavigateComplete(const std::string& /*url*/) {}
  // A document finished loading: the top-level page (`mainFrame` true) or a
  // frame inside it (`mainFrame` false, reported by an injected script).
  virtual void OnDocumentComplete(const std::string& /*url*/, bool /*mainFrame*/) {}
  // A mouse button is pressed in the page (doubleClick: the second press of a
  // double click). Return true to drop it: the page never sees it.
  virtual bool OnMouseDown(MouseButton, bool /*doubleClick*/) { return false; }
  // The page asks for a context menu. Return true to show none.
  virtual bool OnContextMenu() { return false; }
  // A click in a document of the page (only with WebViewOptions::reportClicks):
  // `href` is the href attribute of the innermost element whose tag name is
  // exactly "a" or "A" around the clicked element ("" when it has none);
  // `insideLink` is false when no such element encloses it. `mainFrame` tells
  // whether the click was in the top-level document.
  virtual void OnDocumentClick(const std::string& /*href*/, bool /*insideLink*/,
                               bool /*mainFrame*/) {}
};

struct WebViewOptions {
  // Inject the click reporting script into every document (OnDocumentClick).
  bool reportClicks = false;
  // Hide the page's scroll bars.
  bool noScrollBars = false;
};

class WebView {
 public:
  virtual ~WebView() = default;
  WebView() = default;
  WebView(const WebView&) = delete;
  WebView& operator=(const WebView&) = delete;

  virtual void Navigate(const std::string& url) = 0;
  virtual void Reload() = 0;
  virtual std::string Url() const = 0;
  // Places the view in its host window's client coordinates; an empty
  // rectangle collapses it (nothing shown, no input).
  virtual void Place(const Rect& rect) = 0;
  virtual Rect Placement() const = 0;
  // Gives the page the keyboard focus.
  virtual void Focus() = 0;
  // Runs a script in the top-level document; the result is not reported.
  virtual void RunScript(const std::string& script) = 0;
};

}  // namespace kv::platform
