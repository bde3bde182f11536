#pragma once
// A host of the embedded web view that a subclass customises: it names the
// window the view lives in, answers what the view should look like, and hears
// two of the view's events (a navigation about to start, a document loaded).
// The view itself is made when the host is activated in place.

#include <memory>
#include <string>

#include "platform/Geometry.h"
#include "platform/Gui.h"
#include "platform/WebView.h"
#include "platform/Window.h"

namespace kv::browser {

class CWebBrowserBase {
 public:
  explicit CWebBrowserBase(platform::Gui& gui);
  virtual ~CWebBrowserBase();
  CWebBrowserBase(const CWebBrowserBase&) = delete;
  CWebBrowserBase& operator=(const CWebBrowserBase&) = delete;

  // Makes the view inside GetHostWindow() at m_rcObject, or over the host's
  // whole client area when no rectangle was set. A second call answers true
  // without making another view. False without a host window or a view.
  bool InPlaceActivate();
  // Places the view at `rect` (host client coordinates); an empty rectangle
  // collapses it. False when the host is active but has no view; m_rcObject is
  // then left as it was.
  bool SetLocation(const platform::Rect& rect);
  // False when there is no view to navigate.
  bool Navigate(const std::string& url);
  // The view, or null before activation.
  platform::WebView* GetWebBrowser() const { return m_pWebBrowser.get(); }
  // The view that takes the page's keys: the web view while it is shown (placed
  // in a non-empty rectangle); null while there is none or it is collapsed.
  platform::WebView* GetIEServerWindow() const;

  // --- what subclasses decide
  // The window the view is placed in; none here.
  virtual platform::Window* GetHostWindow() { return nullptr; }
  // How the view presents pages; asked once, when the view is made.
  virtual platform::WebViewOptions GetHostInfo() const { return {}; }
  // A document finished loading: the top-level page or one of its frames.
  virtual void OnDocumentComplete(std::string /*url*/) {}
  // A navigation is about to start (top-level page or a frame). Writing a
  // non-zero value to *cancel stops it.
  virtual void OnBeforeNavigate2(std::string /*url*/, short* /*cancel*/) {}

  // Where the owner wants the view once it is shown; set by the owner.
  platform::Rect m_rcPlacement;

 protected:
  // The view's current rectangle in host client coordinates; starts empty.
  platform::Rect m_rcObject;
  bool m_bInPlaceActive = false;
  // The last address passed to Navigate.
  std::string m_strUrl;

 private:
  // Passes the two events the host cares about on; every other event of the
  // view gets the view's default handling.
  class EventSink final : public platform::WebViewEvents {
   public:
    explicit EventSink(CWebBrowserBase& host) : host_(host) {}
    void OnBeforeNavigate(const std::string& url, bool& cancel) override;
    void OnDocumentComplete(const std::string& url, bool mainFrame) override;

   private:
    CWebBrowserBase& host_;
  };

  platform::Gui& gui_;
  EventSink sink_{*this};
  std::unique_ptr<platform::WebView> m_pWebBrowser;
};

}  // namespace kv::browser
