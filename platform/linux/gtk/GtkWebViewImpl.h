#pragma once
// A WebView on WebKitGTK 4.1: a WebKitWebView inside its host window's layout.

#include <webkit2/webkit2.h>

#include "platform/WebView.h"
#include "platform/linux/GlibPtr.h"
#include "platform/linux/gtk/GtkPtr.h"

namespace kv::platform {

class GtkGui;
class GtkWindowImpl;

class GtkWebViewImpl final : public WebView {
 public:
  GtkWebViewImpl(GtkGui& gui, GtkWindowImpl& host, WebViewEvents& events,
                 const WebViewOptions& options);
  ~GtkWebViewImpl() override;

  void Navigate(const std::string& url) override;
  void Reload() override;
  std::string Url() const override;
  void Place(const Rect& rect) override;
  Rect Placement() const override { return placement_; }
  void Focus() override;
  void RunScript(const std::string& script) override;

 private:
  static gboolean OnDecidePolicy(WebKitWebView* view, WebKitPolicyDecision* decision,
                                 WebKitPolicyDecisionType type, gpointer self);
  static void OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self);
  static gboolean OnButtonPress(GtkWidget* widget, GdkEventButton* event, gpointer self);
  static gboolean OnContextMenu(WebKitWebView* view, WebKitContextMenu* menu, GdkEvent* event,
                                WebKitHitTestResult* hit, gpointer self);
  static GtkWidget* OnCreate(WebKitWebView* view, WebKitNavigationAction* action, gpointer self);
  static void OnScriptMessage(WebKitUserContentManager* manager, WebKitJavascriptResult* result,
                              gpointer self);

  WebViewEvents& events_;
  GObjectPtr<WebKitUserContentManager> contentManager_;
  OwnedWidgetPtr view_;  // declared after the content manager: goes first
  Rect placement_;
};

}  // namespace kv::platform
