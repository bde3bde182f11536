#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "browser/MyHtmlView.h"
#include "tests/fake/FakeGui.h"

namespace {

using kv::browser::CMyHtmlView;
using kv::browser::SDocEvtHandler;
using kv::fake::FakeGui;
using kv::fake::FakeWebView;
using kv::platform::MouseButton;

class HtmlViewTest : public ::testing::Test {
 protected:
  HtmlViewTest() {
    kv::platform::WindowOptions options;
    options.rect = {0, 0, 1000, 700};
    parent_ = gui_.MakeWindow(options, parentEvents_);
    view_ = std::make_unique<CMyHtmlView>(
        gui_, [this](std::string_view line) { traces_.emplace_back(line); });
    EXPECT_TRUE(view_->Create("MyWebBrowser", {0, 0, 0, 0}, *parent_, CMyHtmlView::kControlId));
    page_ = gui_.WebViews().back();
  }

  FakeGui gui_;
  kv::platform::WindowEvents parentEvents_;
  std::unique_ptr<kv::platform::Window> parent_;
  std::vector<std::string> traces_;
  std::unique_ptr<CMyHtmlView> view_;
  FakeWebView* page_ = nullptr;
};

TEST_F(HtmlViewTest, CreatedCollapsedAndPlacedByItsOwner) {
  EXPECT_EQ(view_->GetWindowName(), "MyWebBrowser");
  EXPECT_EQ(view_->GetDlgCtrlID(), 10000);
  EXPECT_TRUE(page_->Options().reportClicks);
  EXPECT_TRUE(page_->Placement().IsEmpty());
  view_->Navigate("http://127.0.0.1:1/game");
  view_->MoveWindow(0, 30, 1000, 670, false);
  EXPECT_EQ(page_->Navigations(), (std::vector<std::string>{"http://127.0.0.1:1/game"}));
  EXPECT_EQ(page_->Placement(), (kv::platform::Rect{0, 30, 1000, 670}));
  view_->Refresh();
  view_->m_pBrowserApp->Reload();
  EXPECT_EQ(page_->Reloads(), 2);
}

TEST_F(HtmlViewTest, RightButtonPressesNeverReachThePage) {
  struct Case {
    MouseButton button;
    bool doubleClick;
    bool dropped;
    const char* name;
  };
  for (const Case& c : {Case{MouseButton::kRight, false, true, "right press"},
                        Case{MouseButton::kRight, true, true, "right double click"},
                        Case{MouseButton::kLeft, false, false, "left press"},
                        Case{MouseButton::kLeft, true, false, "left double click"},
                        Case{MouseButton::kMiddle, false, false, "middle press"}}) {
    EXPECT_EQ(page_->PageMouseDown(c.button, c.doubleClick), c.dropped) << c.name;
  }
  EXPECT_TRUE(page_->PageContextMenu()) << "no context menu";
}

TEST_F(HtmlViewTest, EveryNavigationProceeds) {
  for (const char* url : {"http://127.0.0.1:1/a", "http://127.0.0.1:1/play_gamecode?x=1",
                          "http://127.0.0.1:9/unreachable", "about:blank"}) {
    EXPECT_FALSE(page_->PageNavigates(url)) << url;
  }
}

TEST_F(HtmlViewTest, LinkClicksAreTracedOnceAfterTheDocumentCompleted) {
  page_->PageClick("early.html", true);
  EXPECT_TRUE(traces_.empty()) << "not connected before the first completed document";

  page_->PageLoads("http://127.0.0.1:1/");
  page_->FrameLoads("http://127.0.0.1:1/frame.html");
  page_->PageLoads("http://127.0.0.1:1/");  // a reload
  page_->FrameLoads("http://127.0.0.1:1/frame.html");
  EXPECT_NE(view_->ConnectionCookie(), 0u);

  struct Case {
    const char* name;
    std::string href;
    bool insideLink;
    bool mainFrame;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"link", "next.html", true, true, {"单击事件:next.html\r\n"}},
      {"link without href", "", true, true, {"单击事件:\r\n"}},
      {"outside any link", "", false, true, {}},
      {"inside a frame's document", "in-frame.html", true, false, {}},
  };
  for (const Case& c : cases) {
    traces_.clear();
    page_->PageClick(c.href, c.insideLink, c.mainFrame);
    EXPECT_EQ(traces_, c.lines) << c.name;
  }

  // A new document that has not completed yet is not connected.
  traces_.clear();
  page_->PageNavigates("http://127.0.0.1:1/other");
  view_->OnNavigateComplete("http://127.0.0.1:1/other");
  page_->PageClick("x.html", true);
  EXPECT_TRUE(traces_.empty());
  view_->OnDocumentComplete("http://127.0.0.1:1/other", true);
  page_->PageClick("x.html", true);
  EXPECT_EQ(traces_, (std::vector<std::string>{"单击事件:x.html\r\n"}));
}

TEST(DocEvtHandler, WritesOnlyLinkClicks) {
  std::vector<std::string> lines;
  SDocEvtHandler sink([&](std::string_view line) { lines.emplace_back(line); });
  sink.OnClick("a.html", true);
  sink.OnClick("", false);
  sink.OnClick("", true);
  EXPECT_EQ(lines, (std::vector<std::string>{"单击事件:a.html\r\n", "单击事件:\r\n"}));
}

}  // namespace
