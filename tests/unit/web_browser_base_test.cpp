#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "browser/WebBrowserBase.h"
#include "tests/fake/FakeGui.h"

namespace {

using kv::browser::CWebBrowserBase;
using kv::fake::FakeGui;
using kv::fake::FakeWebView;
using kv::platform::Rect;

// A host that names a window and records the two events it hears.
class RecordingHost final : public CWebBrowserBase {
 public:
  RecordingHost(FakeGui& gui, kv::platform::Window* host) : CWebBrowserBase(gui), host_(host) {}
  kv::platform::Window* GetHostWindow() override { return host_; }
  kv::platform::WebViewOptions GetHostInfo() const override {
    kv::platform::WebViewOptions options;
    options.noScrollBars = true;
    return options;
  }
  void OnDocumentComplete(std::string url) override { completed.push_back(url); }
  void OnBeforeNavigate2(std::string url, short* cancel) override {
    navigations.push_back(url);
    cancelFlags.push_back(*cancel);
    if (url.find("stop") != std::string::npos) {
      *cancel = 1;
    }
  }
  const Rect& ObjectRect() const { return m_rcObject; }
  const std::string& LastUrl() const { return m_strUrl; }

  std::vector<std::string> completed;
  std::vector<std::string> navigations;
  std::vector<short> cancelFlags;

 private:
  kv::platform::Window* host_;
};

class WebBrowserBaseTest : public ::testing::Test {
 protected:
  WebBrowserBaseTest() {
    kv::platform::WindowOptions options;
    options.kind = kv::platform::WindowKind::kPopup;
    options.rect = {100, 200, 714, 488};
    window_ = gui_.MakeWindow(options, windowEvents_);
  }

  FakeWebView* OnlyView() {
    EXPECT_EQ(gui_.WebViews().size(), 1u);
    return gui_.WebViews().empty() ? nullptr : gui_.WebViews().back();
  }

  FakeGui gui_;
  kv::platform::WindowEvents windowEvents_;
  std::unique_ptr<kv::platform::Window> window_;
};

TEST_F(WebBrowserBaseTest, FirstActivationCoversTheClientAreaAndASecondMakesNoNewView) {
  RecordingHost host(gui_, window_.get());
  EXPECT_EQ(host.GetWebBrowser(), nullptr) << "no view before activation";

  ASSERT_TRUE(host.InPlaceActivate());
  FakeWebView* view = OnlyView();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(&view->Host(), window_.get());
  EXPECT_EQ(view->Placement(), (Rect{0, 0, 714, 488}));
  EXPECT_EQ(host.ObjectRect(), (Rect{0, 0, 714, 488}));
  EXPECT_TRUE(view->Options().noScrollBars) << "the host's answer shapes the view";
  EXPECT_EQ(host.GetWebBrowser(), view);

  EXPECT_TRUE(host.InPlaceActivate());
  EXPECT_EQ(gui_.WebViews().size(), 1u);
  EXPECT_EQ(view->Placements().size(), 1u) << "not placed again";
}

TEST_F(WebBrowserBaseTest, ActivationUsesARectangleSetBefore) {
  RecordingHost host(gui_, window_.get());
  EXPECT_TRUE(host.SetLocation({10, 20, 30, 40})) << "inactive: only remembered";
  ASSERT_TRUE(host.InPlaceActivate());
  EXPECT_EQ(OnlyView()->Placement(), (Rect{10, 20, 30, 40}));
}

TEST_F(WebBrowserBaseTest, WithoutAHostWindowNothingWorks) {
  RecordingHost host(gui_, nullptr);
  EXPECT_FALSE(host.InPlaceActivate());
  EXPECT_TRUE(gui_.WebViews().empty());
  EXPECT_FALSE(host.Navigate("http://127.0.0.1:1/"));
  EXPECT_EQ(host.LastUrl(), "http://127.0.0.1:1/") << "the address is kept all the same";
  EXPECT_FALSE(host.SetLocation({0, 0, 5, 5})) << "active without a view";
  EXPECT_EQ(host.ObjectRect(), (Rect{})) << "unchanged after a failed placement";
  EXPECT_EQ(host.GetIEServerWindow(), nullptr);
}

TEST_F(WebBrowserBaseTest, EmptyRectangleCollapsesAndARealOneShows) {
  RecordingHost host(gui_, window_.get());
  ASSERT_TRUE(host.InPlaceActivate());
  FakeWebView* view = OnlyView();
  struct Step {
    Rect rect;
    bool shown;
    const char* name;
  };
  for (const Step& step :
       {Step{{0, 0, 0, 0}, false, "empty"}, Step{{0, 47, 686, 437}, true, "page area"},
        Step{{5, 5, 0, 10}, false, "no width"}, Step{{1, 2, 3, 4}, true, "small"}}) {
    EXPECT_TRUE(host.SetLocation(step.rect)) << step.name;
    EXPECT_EQ(view->Placement(), step.rect) << step.name;
    EXPECT_EQ(host.ObjectRect(), step.rect) << step.name;
    EXPECT_EQ(host.GetIEServerWindow() != nullptr, step.shown) << step.name;
  }
}

TEST_F(WebBrowserBaseTest, NavigateLoadsTheAddressInTheView) {
  RecordingHost host(gui_, window_.get());
  ASSERT_TRUE(host.InPlaceActivate());
  EXPECT_TRUE(host.Navigate("http://127.0.0.1:1/login/lorvik/gy"));
  EXPECT_EQ(OnlyView()->Navigations(),
            (std::vector<std::string>{"http://127.0.0.1:1/login/lorvik/gy"}));
  EXPECT_EQ(host.LastUrl(), "http://127.0.0.1:1/login/lorvik/gy");
}

TEST_F(WebBrowserBaseTest, OnlyNavigationAndCompletedDocumentsReachTheHost) {
  RecordingHost host(gui_, window_.get());
  ASSERT_TRUE(host.InPlaceActivate());
  FakeWebView* view = OnlyView();

  EXPECT_FALSE(view->PageNavigates("http://127.0.0.1:1/go"));
  EXPECT_TRUE(view->PageNavigates("http://127.0.0.1:1/stop")) << "a set flag cancels";
  EXPECT_EQ(host.navigations,
            (std::vector<std::string>{"http://127.0.0.1:1/go", "http://127.0.0.1:1/stop"}));
  EXPECT_EQ(host.cancelFlags, (std::vector<short>{0, 0})) << "the flag starts clear";

  view->FrameLoads("http://127.0.0.1:1/frame");
  view->PageLoads("http://127.0.0.1:1/go");
  EXPECT_EQ(host.completed,
            (std::vector<std::string>{"http://127.0.0.1:1/frame", "http://127.0.0.1:1/go"}))
      << "frames and the page alike";

  // Everything else gets the view's own handling.
  EXPECT_FALSE(view->PageMouseDown(kv::platform::MouseButton::kRight));
  EXPECT_FALSE(view->PageContextMenu());
  view->PageClick("x.html", true);
  EXPECT_EQ(host.navigations.size(), 2u);
  EXPECT_EQ(host.completed.size(), 2u);
}

TEST_F(WebBrowserBaseTest, DestroyingTheHostRemovesItsView) {
  auto host = std::make_unique<RecordingHost>(gui_, window_.get());
  ASSERT_TRUE(host->InPlaceActivate());
  EXPECT_EQ(gui_.WebViews().size(), 1u);
  host.reset();
  EXPECT_TRUE(gui_.WebViews().empty());
}

}  // namespace
