#pragma once
// The host of the operator's login page inside the login pop-up. It reports
// every navigation to its owner, stops the one to the game page, runs the
// self-update check on the first loaded document and only then shows the page.

#include <functional>
#include <string>
#include <string_view>

#include "browser/WebBrowserBase.h"
#include "login/CommandWindow.h"

namespace kv::login {

// The address of the most recent navigation of the login page reported to the
// owner; empty until the first one. Lives for the whole process.
extern std::string g_strLastNavigateUrl;

// Part of the game page's address; matched case-sensitively.
inline constexpr std::string_view kGamePageMarker = "play_gamecode";
// The command that tells the owner a navigation starts (address in g_strLastNavigateUrl).
inline constexpr int ID_NAVIGATE_REPORT = 10001;

inline bool HasGamePageMarker(std::string_view url) {
  return url.find(kGamePageMarker) != std::string_view::npos;
}

class WebFormLogin final : public browser::CWebBrowserBase {
 public:
  // `ownerWnd` hosts the view and hears the reports (may be null: then nothing
  // is reported). `runUpdateCheck` is the self-update attempt; it may end the process.
  WebFormLogin(platform::Gui& gui, CommandWindow* ownerWnd, std::function<void()> runUpdateCheck);

  platform::Window* GetHostWindow() override;
  // Pages are shown without scroll bars.
  platform::WebViewOptions GetHostInfo() const override;
  void OnDocumentComplete(std::string url) override;
  void OnBeforeNavigate2(std::string url, short* cancel) override;

  bool UpdateStarted() const { return m_bUpdateStarted; }

 private:
  CommandWindow* m_hOwnerWnd;
  bool m_bUpdateStarted = false;
  std::function<void()> runUpdateCheck_;
};

}  // namespace kv::login
