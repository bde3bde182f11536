#include "login/WebFormLogin.h"

#include <utility>

namespace kv::login {

std::string g_strLastNavigateUrl;

WebFormLogin::WebFormLogin(platform::Gui& gui, CommandWindow* ownerWnd,
                           std::function<void()> runUpdateCheck)
    : CWebBrowserBase(gui), m_hOwnerWnd(ownerWnd), runUpdateCheck_(std::move(runUpdateCheck)) {}

platform::Window* WebFormLogin::GetHostWindow() {
  return m_hOwnerWnd != nullptr ? m_hOwnerWnd->NativeWindow() : nullptr;
}

platform::WebViewOptions WebFormLogin::GetHostInfo() const {
  platform::WebViewOptions options;
  options.noScrollBars = true;
  return options;
}

// Runs for the top-level page and for every frame, whichever comes first: the
// page stays collapsed until the update check has returned.
void WebFormLogin::OnDocumentComplete(std::string /*url*/) {
  if (!m_bUpdateStarted) {
    if (runUpdateCheck_) {
      runUpdateCheck_();
    }
    m_bUpdateStarted = true;
  }
  SetLocation(m_rcPlacement);
}

void WebFormLogin::OnBeforeNavigate2(std::string url, short* cancel) {
  if (HasGamePageMarker(url) && cancel != nullptr) {
    *cancel = 1;
  }
  if (m_hOwnerWnd != nullptr) {
    g_strLastNavigateUrl = std::move(url);
    m_hOwnerWnd->OnCommand(ID_NAVIGATE_REPORT);
  }
}

}  // namespace kv::login
