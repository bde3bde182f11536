#include "platform/linux/gtk/GtkGui.h"

#include <gtk/gtk.h>

namespace kv::platform {

// The window, web view, painter and X11 services are filled in step by step;
// until then the calls that need them report failure.
GtkGui::GtkGui() = default;
GtkGui::~GtkGui() = default;

bool GtkGui::Initialize() {
  initialized_ = gtk_init_check(nullptr, nullptr) != FALSE;
  return initialized_;
}

std::unique_ptr<Window> GtkGui::MakeWindow(const WindowOptions&, WindowEvents&) {
  return nullptr;
}
std::unique_ptr<WebView> GtkGui::MakeWebView(Window&, WebViewEvents&, const WebViewOptions&) {
  return nullptr;
}
std::unique_ptr<Image> GtkGui::DecodePng(std::span<const std::uint8_t>) {
  return nullptr;
}
std::unique_ptr<Image> GtkGui::CreateImage(int, int, std::span<const std::uint32_t>) {
  return nullptr;
}
std::unique_ptr<Canvas> GtkGui::CreateCanvas(Size) {
  return nullptr;
}
Size GtkGui::ScreenSize() {
  return {};
}
Rect GtkGui::WorkArea() {
  return {};
}
bool GtkGui::IsActiveApplication() {
  return false;
}
bool GtkGui::SendWindowMessage(NativeWindowId, int, std::int64_t) {
  return false;
}
bool GtkGui::WindowExists(NativeWindowId) {
  return false;
}
void GtkGui::RunMainLoop() {
  gtk_main();
}
void GtkGui::QuitMainLoop() {
  gtk_main_quit();
}
void GtkGui::RunOnUiThread(std::function<void()>) {}
void GtkGui::ClearWebData(std::function<void(bool)> done) {
  done(false);
}
std::filesystem::path GtkGui::WebDataFolder() {
  return {};
}
std::filesystem::path GtkGui::WebCacheFolder() {
  return {};
}

}  // namespace kv::platform
