#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "login/WebFormLogin.h"
#include "tests/fake/FakeGui.h"

namespace {

using kv::fake::FakeGui;
using kv::fake::FakeWebView;
using kv::login::g_strLastNavigateUrl;
using kv::login::WebFormLogin;
using kv::platform::Rect;

// The pop-up's side: a window for the view, and a record of each command with
// the last navigation address as it stood when the command arrived.
class RecordingOwner final : public kv::login::CommandWindow {
 public:
  explicit RecordingOwner(FakeGui& gui) {
    kv::platform::WindowOptions options;
    options.kind = kv::platform::WindowKind::kPopup;
    options.rect = {0, 0, 714, 488};
    window_ = gui.MakeWindow(options, events_);
  }
  kv::platform::Window* NativeWindow() override { return window_.get(); }
  void OnCommand(int id) override {
    commands.push_back(id);
    addressesSeen.push_back(g_strLastNavigateUrl);
  }

  std::vector<int> commands;
  std::vector<std::string> addressesSeen;

 private:
  kv::platform::WindowEvents events_;
  std::unique_ptr<kv::platform::Window> window_;
};

constexpr Rect kPageArea{0, 47, 686, 437};

class WebFormLoginTest : public ::testing::Test {
 protected:
  WebFormLoginTest() : owner_(gui_) { g_strLastNavigateUrl.clear(); }

  // Creates the host as the pop-up does: activate, placement, navigate, collapse.
  std::unique_ptr<WebFormLogin> MakeHost(kv::login::CommandWindow* owner) {
    auto host = std::make_unique<WebFormLogin>(gui_, owner, [this] {
      ++updateChecks_;
      placementDuringCheck_ = view_ != nullptr ? view_->Placement() : Rect{-1, -1, -1, -1};
    });
    host->InPlaceActivate();
    host->m_rcPlacement = kPageArea;
    host->Navigate("http://127.0.0.1:1/login/lorvik/gy");
    host->SetLocation({});
    view_ = gui_.WebViews().empty() ? nullptr : gui_.WebViews().back();
    return host;
  }

  FakeGui gui_;
  RecordingOwner owner_;
  FakeWebView* view_ = nullptr;
  int updateChecks_ = 0;
  Rect placementDuringCheck_{-1, -1, -1, -1};
};

TEST_F(WebFormLoginTest, TheGamePageMarkerCancelsWhereverItStandsAndOnlyInSmallLetters) {
  auto host = MakeHost(&owner_);
  ASSERT_NE(view_, nullptr);
  struct Case {
    const char* url;
    bool cancelled;
    const char* name;
  } const cases[] = {
      {"http://127.0.0.1:1/game/play?play_gamecode=abc&server=1", true, "query"},
      {"http://127.0.0.1:1/play_gamecode/abc", true, "path"},
      {"http://127.0.0.1:1/game#play_gamecode", true, "fragment"},
      {"http://play_gamecode.example/", true, "host name"},
      {"http://127.0.0.1:1/game/play?PLAY_GAMECODE=abc", false, "capitals"},
      {"http://127.0.0.1:1/game/play?Play_GameCode=abc", false, "mixed case"},
      {"http://127.0.0.1:1/game/play?play_game_code=abc", false, "another word"},
      {"http://127.0.0.1:1/game/play?play_gamecod=abc", false, "cut short"},
      {"http://127.0.0.1:1/login/lorvik/check", false, "form post"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(view_->PageNavigates(c.url), c.cancelled) << c.name;
  }
}

TEST_F(WebFormLoginTest, EveryNavigationIsReportedAfterTheAddressIsStored) {
  auto host = MakeHost(&owner_);
  ASSERT_NE(view_, nullptr);
  const std::vector<std::string> urls = {
      "http://127.0.0.1:1/login/lorvik/gy",
      "http://127.0.0.1:1/frame/news.html",
      "http://127.0.0.1:1/game/play?play_gamecode=abc",
      "http://127.0.0.1:1/game/play?PLAY_GAMECODE=abc",
  };
  for (const std::string& url : urls) {
    view_->PageNavigates(url);
    EXPECT_EQ(g_strLastNavigateUrl, url);
  }
  EXPECT_EQ(owner_.commands, std::vector<int>(urls.size(), kv::login::ID_NAVIGATE_REPORT));
  EXPECT_EQ(owner_.addressesSeen, urls) << "each report sees its own address";
}

TEST_F(WebFormLoginTest, WithoutAnOwnerNothingIsReportedButTheMarkerStillCancels) {
  g_strLastNavigateUrl = "kept";
  WebFormLogin host(gui_, nullptr, [this] { ++updateChecks_; });
  EXPECT_FALSE(host.InPlaceActivate()) << "no window to live in";
  EXPECT_EQ(host.GetWebBrowser(), nullptr);

  short cancel = 0;
  host.OnBeforeNavigate2("http://127.0.0.1:1/?play_gamecode=1", &cancel);
  EXPECT_EQ(cancel, 1);
  cancel = 0;
  host.OnBeforeNavigate2("http://127.0.0.1:1/other", &cancel);
  EXPECT_EQ(cancel, 0);
  EXPECT_EQ(g_strLastNavigateUrl, "kept");
  EXPECT_TRUE(owner_.commands.empty());
}

TEST_F(WebFormLoginTest, FirstCompletedDocumentRunsTheCheckOnceThenRevealsThePage) {
  struct Case {
    const char* name;
    bool frameFirst;
  };
  for (const Case& c : {Case{"frame first", true}, Case{"page first", false}}) {
    updateChecks_ = 0;
    placementDuringCheck_ = {-1, -1, -1, -1};
    auto host = MakeHost(&owner_);
    ASSERT_NE(view_, nullptr) << c.name;
    EXPECT_TRUE(view_->Placement().IsEmpty()) << c.name << ": collapsed while loading";
    EXPECT_FALSE(host->UpdateStarted()) << c.name;

    if (c.frameFirst) {
      view_->FrameLoads("http://127.0.0.1:1/frame/news.html");
    } else {
      view_->PageLoads("http://127.0.0.1:1/login/lorvik/gy");
    }
    EXPECT_EQ(updateChecks_, 1) << c.name;
    EXPECT_TRUE(host->UpdateStarted()) << c.name;
    EXPECT_TRUE(placementDuringCheck_.IsEmpty()) << c.name << ": still collapsed during the check";
    EXPECT_EQ(view_->Placement(), kPageArea) << c.name << ": revealed after the check";

    view_->FrameLoads("http://127.0.0.1:1/frame/other.html");
    view_->PageLoads("http://127.0.0.1:1/login/lorvik/gy");
    view_->PageLoads("http://127.0.0.1:1/login/lorvik/check");
    EXPECT_EQ(updateChecks_, 1) << c.name << ": never again";
    EXPECT_EQ(view_->Placement(), kPageArea) << c.name;
    EXPECT_EQ(view_->Placements().back(), kPageArea) << c.name << ": re-applied each time";
  }
}

TEST_F(WebFormLoginTest, EachHostRunsItsOwnCheck) {
  auto first = MakeHost(&owner_);
  view_->PageLoads("http://127.0.0.1:1/login/lorvik/gy");
  auto second = MakeHost(&owner_);
  view_->PageLoads("http://127.0.0.1:1/login/lorvik/gy");
  EXPECT_EQ(updateChecks_, 2);
}

TEST_F(WebFormLoginTest, ThePageIsShownWithoutScrollBars) {
  auto host = MakeHost(&owner_);
  ASSERT_NE(view_, nullptr);
  EXPECT_TRUE(view_->Options().noScrollBars);
  EXPECT_TRUE(host->GetHostInfo().noScrollBars);
}

}  // namespace
