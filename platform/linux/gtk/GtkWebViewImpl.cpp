#include "platform/linux/gtk/GtkWebViewImpl.h"

#include <algorithm>
#include <string>

#include "platform/linux/GlibPtr.h"
#include "platform/linux/gtk/GtkGui.h"
#include "platform/linux/gtk/GtkWindowImpl.h"

namespace kv::platform {

namespace {

constexpr char kHandlerName[] = "korvane";
// The scripts and their message channel live in a script world of their own:
// the page's scripts can neither see nor imitate them.
constexpr char kScriptWorld[] = "korvane";

// WebKit reports load events of the top-level page only; frames report theirs
// through this script.
constexpr char kFrameLoadScript[] = R"JS((function () {
  if (window === window.top) return;
  window.addEventListener('load', function () {
    try {
      window.webkit.messageHandlers.korvane.postMessage({kind: 'frame', url: String(location.href)});
    } catch (e) {}
  });
})();)JS";

// Every click in a document, seen first (capture phase): the innermost element
// whose tag name is exactly "a" or "A" around the target, and its href.
constexpr char kClickScript[] = R"JS((function () {
  document.addEventListener('click', function (event) {
    var element = event.target;
    while (element && element.nodeType !== 1) element = element.parentNode;
    var link = null;
    for (; element; element = element.parentElement) {
      if (element.tagName === 'a' || element.tagName === 'A') { link = element; break; }
    }
    var href = link ? link.getAttribute('href') : null;
    try {
      window.webkit.messageHandlers.korvane.postMessage({
        kind: 'click', href: href === null ? '' : String(href), link: link !== null,
        top: window === window.top});
    } catch (e) {}
  }, true);
})();)JS";

constexpr char kNoScrollBarsStyle[] = "html, body { overflow: hidden !important; }";

using UserScriptPtr = GHolder<WebKitUserScript, webkit_user_script_unref>;
using UserStyleSheetPtr = GHolder<WebKitUserStyleSheet, webkit_user_style_sheet_unref>;

void AddScript(WebKitUserContentManager* manager, const char* source) {
  UserScriptPtr script(webkit_user_script_new_for_world(
      source, WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES, WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START,
      kScriptWorld, nullptr, nullptr));
  webkit_user_content_manager_add_script(manager, script.get());
}

std::string StringProperty(JSCValue* object, const char* name) {
  GObjectPtr<JSCValue> value(jsc_value_object_get_property(object, name));
  if (!value || !jsc_value_is_string(value.get())) {
    return {};
  }
  GCharPtr text(jsc_value_to_string(value.get()));
  return text ? std::string(text.get()) : std::string();
}

bool BoolProperty(JSCValue* object, const char* name) {
  GObjectPtr<JSCValue> value(jsc_value_object_get_property(object, name));
  return value && jsc_value_to_boolean(value.get());
}

}  // namespace

GtkWebViewImpl::GtkWebViewImpl(GtkGui& gui, GtkWindowImpl& host, WebViewEvents& events,
                               const WebViewOptions& options)
    : events_(events) {
  contentManager_.reset(webkit_user_content_manager_new());
  g_signal_connect(contentManager_.get(), "script-message-received::korvane",
                   G_CALLBACK(OnScriptMessage), this);
  webkit_user_content_manager_register_script_message_handler_in_world(contentManager_.get(),
                                                                       kHandlerName, kScriptWorld);
  AddScript(contentManager_.get(), kFrameLoadScript);
  if (options.reportClicks) {
    AddScript(contentManager_.get(), kClickScript);
  }
  if (options.noScrollBars) {
    UserStyleSheetPtr sheet(
        webkit_user_style_sheet_new(kNoScrollBarsStyle, WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                                    WEBKIT_USER_STYLE_LEVEL_USER, nullptr, nullptr));
    webkit_user_content_manager_add_style_sheet(contentManager_.get(), sheet.get());
  }

  view_.reset(GTK_WIDGET(
      g_object_ref_sink(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", gui.WebContext(),
                                     "user-content-manager", contentManager_.get(), nullptr))));
  g_signal_connect(view_.get(), "decide-policy", G_CALLBACK(OnDecidePolicy), this);
  g_signal_connect(view_.get(), "load-changed", G_CALLBACK(OnLoadChanged), this);
  g_signal_connect(view_.get(), "button-press-event", G_CALLBACK(OnButtonPress), this);
  g_signal_connect(view_.get(), "context-menu", G_CALLBACK(OnContextMenu), this);
  g_signal_connect(view_.get(), "create", G_CALLBACK(OnCreate), this);
  gtk_widget_set_size_request(view_.get(), 1, 1);
  gtk_layout_put(GTK_LAYOUT(host.ClientWidget()), view_.get(), 0, 0);
  gtk_widget_hide(view_.get());
}

// The members then destroy the view and drop the content manager.
GtkWebViewImpl::~GtkWebViewImpl() {
  g_signal_handlers_disconnect_by_data(view_.get(), this);
  g_signal_handlers_disconnect_by_data(contentManager_.get(), this);
  webkit_user_content_manager_unregister_script_message_handler_in_world(
      contentManager_.get(), kHandlerName, kScriptWorld);
}

void GtkWebViewImpl::Navigate(const std::string& url) {
  webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view_.get()), url.empty() ? "about:blank" : url.c_str());
}

void GtkWebViewImpl::Reload() {
  webkit_web_view_reload(WEBKIT_WEB_VIEW(view_.get()));
}

std::string GtkWebViewImpl::Url() const {
  const char* uri = webkit_web_view_get_uri(WEBKIT_WEB_VIEW(view_.get()));
  return uri != nullptr ? uri : "";
}

void GtkWebViewImpl::Place(const Rect& rect) {
  placement_ = rect;
  if (rect.IsEmpty()) {
    gtk_widget_hide(view_.get());
    return;
  }
  // The host window may be gone already (its owner deletes the view later).
  GtkWidget* parent = gtk_widget_get_parent(view_.get());
  if (parent == nullptr || !GTK_IS_LAYOUT(parent)) {
    return;
  }
  gtk_widget_set_size_request(view_.get(), rect.width, rect.height);
  gtk_layout_move(GTK_LAYOUT(parent), view_.get(), rect.x, rect.y);
  gtk_widget_show(view_.get());
}

void GtkWebViewImpl::Focus() {
  gtk_widget_grab_focus(view_.get());
}

void GtkWebViewImpl::RunScript(const std::string& script) {
  webkit_web_view_evaluate_javascript(WEBKIT_WEB_VIEW(view_.get()), script.c_str(),
                                      static_cast<gssize>(script.size()), nullptr, nullptr, nullptr,
                                      nullptr, nullptr);
}

gboolean GtkWebViewImpl::OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                        WebKitPolicyDecisionType type, gpointer data) {
  if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION &&
      type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
    return FALSE;
  }
  auto* self = static_cast<GtkWebViewImpl*>(data);
  WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
      WEBKIT_NAVIGATION_POLICY_DECISION(decision));
  WebKitURIRequest* request = webkit_navigation_action_get_request(action);
  const char* uri = request != nullptr ? webkit_uri_request_get_uri(request) : nullptr;
  bool cancel = false;
  self->events_.OnBeforeNavigate(uri != nullptr ? uri : "", cancel);
  if (cancel) {
    webkit_policy_decision_ignore(decision);
    return TRUE;
  }
  return FALSE;
}

void GtkWebViewImpl::OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer data) {
  auto* self = static_cast<GtkWebViewImpl*>(data);
  const char* uri = webkit_web_view_get_uri(view);
  std::string url = uri != nullptr ? uri : "";
  if (event == WEBKIT_LOAD_COMMITTED) {
    self->events_.OnNavigateComplete(url);
  } else if (event == WEBKIT_LOAD_FINISHED) {
    self->events_.OnDocumentComplete(url, true);
  }
}

gboolean GtkWebViewImpl::OnButtonPress(GtkWidget*, GdkEventButton* event, gpointer data) {
  if (event->type != GDK_BUTTON_PRESS && event->type != GDK_2BUTTON_PRESS) {
    return FALSE;
  }
  auto* self = static_cast<GtkWebViewImpl*>(data);
  MouseButton button = event->button == 3   ? MouseButton::kRight
                       : event->button == 2 ? MouseButton::kMiddle
                                            : MouseButton::kLeft;
  return self->events_.OnMouseDown(button, event->type == GDK_2BUTTON_PRESS) ? TRUE : FALSE;
}

gboolean GtkWebViewImpl::OnContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*,
                                       WebKitHitTestResult*, gpointer data) {
  return static_cast<GtkWebViewImpl*>(data)->events_.OnContextMenu() ? TRUE : FALSE;
}

// A page opening a new window gets one: a plain top-level window of its own
// sharing this view's session, closed when the page closes it or the user does.
GtkWidget* GtkWebViewImpl::OnCreate(WebKitWebView* view, WebKitNavigationAction*, gpointer) {
  GtkWidget* related = webkit_web_view_new_with_related_view(view);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(window), 1000, 700);
  gtk_container_add(GTK_CONTAINER(window), related);
  g_signal_connect(related, "ready-to-show", G_CALLBACK(+[](WebKitWebView* newView, gpointer) {
                     gtk_widget_show_all(gtk_widget_get_toplevel(GTK_WIDGET(newView)));
                   }),
                   nullptr);
  g_signal_connect(related, "notify::title",
                   G_CALLBACK(+[](WebKitWebView* newView, GParamSpec*, gpointer) {
                     const char* title = webkit_web_view_get_title(newView);
                     gtk_window_set_title(GTK_WINDOW(gtk_widget_get_toplevel(GTK_WIDGET(newView))),
                                          title != nullptr ? title : "");
                   }),
                   nullptr);
  g_signal_connect(related, "close", G_CALLBACK(+[](WebKitWebView* newView, gpointer) {
                     gtk_widget_destroy(gtk_widget_get_toplevel(GTK_WIDGET(newView)));
                   }),
                   nullptr);
  return related;
}

void GtkWebViewImpl::OnScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result,
                                     gpointer data) {
  auto* self = static_cast<GtkWebViewImpl*>(data);
  JSCValue* message = webkit_javascript_result_get_js_value(result);
  if (message == nullptr || !jsc_value_is_object(message)) {
    return;
  }
  std::string kind = StringProperty(message, "kind");
  if (kind == "frame") {
    self->events_.OnDocumentComplete(StringProperty(message, "url"), false);
  } else if (kind == "click") {
    self->events_.OnDocumentClick(StringProperty(message, "href"), BoolProperty(message, "link"),
                                  BoolProperty(message, "top"));
  }
}

}  // namespace kv::platform
