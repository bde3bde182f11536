#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/FileUtil.h"
#include "login/LoginDialogStep.h"
#include "login/LorvikLogin.h"
#include "platform/Keys.h"
#include "platform/Os.h"
#include "res/Resources.h"
#include "res/StringIds.h"
#include "tests/fake/FakeGui.h"
#include "tests/support/LoginFixtures.h"

namespace {

using kv::fake::FakeGui;
using kv::fake::FakeImage;
using kv::fake::FakeWebView;
using kv::fake::FakeWindow;
using kv::fake::PaintOp;
using kv::login::CLoginPopupDlg;
using kv::login::CLorvikLogin;
using kv::platform::Rect;
using kv::platform::WindowState;

constexpr char kExitTitle[] = "关闭提示";
constexpr char kExitText[] = "是否退出《Korvane》登入器？";

// One run of the login dialog on the recording window system. `whileRunning`
// plays the player and the window manager inside the dialog's event loop.
class LoginDialogTest : public ::testing::Test {
 protected:
  LoginDialogTest() : dialog_(gui_, services_.Make()) {
    gui_.workArea = {0, 0, 1600, 960};
    kv::login::g_strLastNavigateUrl.clear();
  }

  int Run(std::function<void()> whileRunning) {
    gui_.mainLoopScript = std::move(whileRunning);
    return dialog_.DoModal();
  }

  FakeWindow& LoginWindow() { return *gui_.FindWindow(dialog_.Window()->Handle()); }
  FakeWindow& PopupWindow() { return *gui_.FindWindow(dialog_.Popup()->NativeWindow()->Handle()); }
  FakeWebView& Page() { return *gui_.WebViews().at(0); }
  FakeWindow& ButtonWindow(const kv::ui::CTouchButton& button) {
    return *gui_.FindWindow(button.GetWindow()->Handle());
  }

  FakeGui gui_;
  kv::test::RecordedLoginServices services_;
  CLorvikLogin dialog_;
};

TEST_F(LoginDialogTest, SkinWithTheVersionLabelCentredWithATaskbarEntry) {
  const std::string version = kv::app::GetFileVersionText(kv::platform::ExecutablePath().string());
  ASSERT_FALSE(version.empty());
  Run([&] {
    FakeWindow& login = LoginWindow();
    EXPECT_EQ(login.Options().kind, kv::platform::WindowKind::kTopLevel);
    EXPECT_EQ(login.Title(), kv::res::LoadString(kv::res::IDS_CAPTION));
    EXPECT_TRUE(login.TaskbarEntry());
    EXPECT_TRUE(login.IsVisible());
    EXPECT_EQ(login.Geometry(), (Rect{174, 113, 1251, 733})) << "centred in the work area";

    const auto* picture = dynamic_cast<const FakeImage*>(login.AlphaImage());
    ASSERT_NE(picture, nullptr) << "per-pixel alpha";
    EXPECT_EQ(picture, dialog_.SkinImage());
    EXPECT_EQ(picture->GetSize(), (kv::platform::Size{1251, 733}));
    ASSERT_EQ(picture->content.size(), 2u);

    const PaintOp& skin = picture->content[0];
    EXPECT_EQ(skin.kind, PaintOp::Kind::kImage);
    ASSERT_NE(skin.image, nullptr);
    EXPECT_EQ(skin.image->GetSize(), (kv::platform::Size{1251, 733})) << "PNG 319";
    EXPECT_EQ(skin.at, (kv::platform::Point{0, 0}));

    const PaintOp& label = picture->content[1];
    EXPECT_EQ(label.kind, PaintOp::Kind::kText);
    EXPECT_EQ(label.text, version);
    EXPECT_EQ(label.font.family, "arial");
    EXPECT_EQ(label.font.pixelSize, 10.0f);
    EXPECT_FALSE(label.font.bold);
    EXPECT_EQ(label.color.argb, 0xFFCBAE5Bu);
    EXPECT_EQ(label.layout.x, 1191.0f);
    EXPECT_EQ(label.layout.y, 700.0f);
    EXPECT_EQ(label.layout.width, 200.0f);
    EXPECT_EQ(label.layout.height, 31.0f);
    EXPECT_EQ(label.format.align, kv::platform::TextAlign::kNear);
    EXPECT_EQ(label.format.trimming, kv::platform::Trimming::kEllipsisCharacter);
  });
}

TEST_F(LoginDialogTest, PopupSitsOverTheSkinAndFollowsEveryMove) {
  Run([&] {
    FakeWindow& popup = PopupWindow();
    EXPECT_EQ(popup.Options().kind, kv::platform::WindowKind::kPopup);
    EXPECT_EQ(popup.Options().owner, dialog_.Window());
    EXPECT_TRUE(popup.IsVisible());
    EXPECT_EQ(popup.Geometry(), (Rect{174 + 459, 113 + 139, 714, 488}));

    for (const Rect& place : {Rect{0, 0, 1251, 733}, Rect{-300, 50, 1251, 733},
                              Rect{900, 700, 1251, 733}, Rect{174, 113, 1251, 733}}) {
      LoginWindow().WindowManagerPlace(place);
      EXPECT_EQ(popup.Geometry(), (Rect{place.x + 459, place.y + 139, 714, 488}))
          << "login at " << place.x << "," << place.y;
      EXPECT_TRUE(popup.IsVisible());
    }
  });
}

TEST_F(LoginDialogTest, MinimisingHidesThePopupAndRestoringShowsBoth) {
  struct Case {
    const char* name;
    bool fromButton;
  };
  for (const Case& c : {Case{"minimise button", true}, Case{"taskbar", false}}) {
    FakeGui gui;
    kv::test::RecordedLoginServices services;
    CLorvikLogin dialog(gui, services.Make());
    gui.mainLoopScript = [&] {
      FakeWindow& login = *gui.FindWindow(dialog.Window()->Handle());
      FakeWindow& popup = *gui.FindWindow(dialog.Popup()->NativeWindow()->Handle());
      if (c.fromButton) {
        FakeWindow& button =
            *gui.FindWindow(dialog.Popup()->MinimizeButton().GetWindow()->Handle());
        button.Click({10, 10});
        EXPECT_EQ(login.State(), WindowState::kMinimized) << c.name;
      }
      login.WindowManagerSetState(WindowState::kMinimized);
      EXPECT_FALSE(popup.IsVisible()) << c.name;
      login.WindowManagerPlace({-32000, -32000, 1251, 733});
      EXPECT_FALSE(popup.IsVisible()) << c.name << ": not shown by a move while minimised";

      login.WindowManagerPlace({100, 100, 1251, 733});
      login.WindowManagerSetState(WindowState::kNormal);
      EXPECT_TRUE(popup.IsVisible()) << c.name;
      EXPECT_EQ(popup.Geometry(), (Rect{559, 239, 714, 488})) << c.name;
      EXPECT_FALSE(dialog.Ended()) << c.name;
    };
    dialog.DoModal();
  }
}

TEST_F(LoginDialogTest, InstallationRunsOnceAfterThePopupExists) {
  services_.duringSetup = [&] {
    ASSERT_NE(dialog_.Popup(), nullptr);
    EXPECT_TRUE(PopupWindow().IsVisible());
    ASSERT_EQ(gui_.WebViews().size(), 1u);
    EXPECT_EQ(Page().Navigations(),
              (std::vector<std::string>{kv::res::LoadString(kv::res::IDS_LOGIN_URL)}));
    EXPECT_EQ(gui_.mainLoopRuns, 0) << "before the event loop";
  };
  Run([] {});
  EXPECT_EQ(services_.setups, 1);
}

TEST_F(LoginDialogTest, DraggedByAnyPointWithTheLeftButtonOnly) {
  Run([&] {
    FakeWindow& login = LoginWindow();
    for (const kv::platform::Point& at : {kv::platform::Point{0, 0}, {240, 60}, {1250, 732}}) {
      login.MouseDown(at);
    }
    EXPECT_EQ(login.MoveDrags(), 3);
    login.MouseDown({240, 60}, kv::platform::MouseButton::kRight);
    login.MouseDown({240, 60}, kv::platform::MouseButton::kMiddle);
    EXPECT_EQ(login.MoveDrags(), 3);
  });
}

TEST_F(LoginDialogTest, ExitQuestionFromEveryPlaceEndsTheProcessOnlyWhenAgreed) {
  enum class Source { kLoginClose, kPopupClose, kCloseButton };
  struct Case {
    const char* name;
    Source source;
    int answer;
  } const cases[] = {
      {"Alt+F4 on the login window, agreed", Source::kLoginClose, 1},
      {"Alt+F4 on the login window, refused", Source::kLoginClose, 2},
      {"Alt+F4 on the pop-up, agreed", Source::kPopupClose, 1},
      {"Alt+F4 on the pop-up, refused", Source::kPopupClose, 2},
      {"close button, agreed", Source::kCloseButton, 1},
      {"close button, refused", Source::kCloseButton, 2},
  };
  for (const Case& c : cases) {
    FakeGui gui;
    gui.workArea = {0, 0, 1600, 960};
    kv::test::RecordedLoginServices services;
    services.answers = {c.answer};
    CLorvikLogin dialog(gui, services.Make());
    gui.mainLoopScript = [&] {
      FakeWindow& login = *gui.FindWindow(dialog.Window()->Handle());
      FakeWindow& popup = *gui.FindWindow(dialog.Popup()->NativeWindow()->Handle());
      const Rect loginBefore = login.Geometry();
      const Rect popupBefore = popup.Geometry();
      switch (c.source) {
        case Source::kLoginClose:
          login.RequestClose();
          break;
        case Source::kPopupClose:
          popup.RequestClose();
          break;
        case Source::kCloseButton:
          gui.FindWindow(dialog.Popup()->CloseButton().GetWindow()->Handle())->Click({10, 10});
          break;
      }
      ASSERT_EQ(services.questions.size(), 1u) << c.name;
      EXPECT_EQ(services.questions[0].title, kExitTitle) << c.name;
      EXPECT_EQ(services.questions[0].text, kExitText) << c.name;
      EXPECT_EQ(services.questions[0].owner, dialog.Window()) << c.name;
      EXPECT_EQ(services.exitCodes, c.answer == 1 ? std::vector<int>{0} : std::vector<int>{})
          << c.name;
      EXPECT_FALSE(dialog.Ended()) << c.name << ": the question never ends the dialog itself";
      EXPECT_TRUE(login.IsVisible()) << c.name;
      EXPECT_TRUE(popup.IsVisible()) << c.name;
      EXPECT_EQ(login.Geometry(), loginBefore) << c.name;
      EXPECT_EQ(popup.Geometry(), popupBefore) << c.name;
    };
    dialog.DoModal();
  }
}

TEST_F(LoginDialogTest, EnterAndEscapeCloseNothing) {
  Run([&] {
    Page().PageLoads(kv::res::LoadString(kv::res::IDS_LOGIN_URL));
    for (int key : {kv::platform::kKeyEscape, kv::platform::kKeyReturn}) {
      LoginWindow().KeyDown(key);
      PopupWindow().KeyDown(key);
    }
    EXPECT_TRUE(services_.questions.empty());
    EXPECT_FALSE(dialog_.Ended());
    EXPECT_TRUE(PopupWindow().IsVisible());
  });
  EXPECT_TRUE(dialog_.GetGameUrl().empty());
}

TEST_F(LoginDialogTest, TheFirstGamePageAddressEndsTheDialogAndIsKept) {
  const std::string game = "http://127.0.0.1:1/game/play?play_gamecode=first&server=1";
  const int result = Run([&] {
    FakeWebView& page = Page();
    page.PageLoads(kv::res::LoadString(kv::res::IDS_LOGIN_URL));
    EXPECT_FALSE(page.PageNavigates("http://127.0.0.1:1/login/lorvik/check"));
    EXPECT_FALSE(page.PageNavigates("http://127.0.0.1:1/game/play?PLAY_GAMECODE=caps"));
    EXPECT_FALSE(dialog_.Ended()) << "no marker, no hand-over";
    EXPECT_TRUE(dialog_.GetGameUrl().empty());

    EXPECT_TRUE(page.PageNavigates(game));
    EXPECT_TRUE(dialog_.Ended());
    EXPECT_EQ(dialog_.GetGameUrl(), game);
    // Another report before the loop has returned changes nothing.
    EXPECT_TRUE(page.PageNavigates("http://127.0.0.1:1/frame?play_gamecode=second"));
    EXPECT_EQ(dialog_.GetGameUrl(), game);
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(dialog_.GetGameUrl(), game);
  EXPECT_TRUE(gui_.Windows().empty()) << "the login windows are gone";
  EXPECT_TRUE(gui_.WebViews().empty());
  EXPECT_EQ(services_.updateChecks, 1);
}

TEST_F(LoginDialogTest, NoAddressWhenTheDialogNeverEnded) {
  Run([] {});
  EXPECT_FALSE(dialog_.Ended());
  EXPECT_EQ(dialog_.GetGameUrl(), "");
}

TEST(LoginDialogStepTest, YieldsTheAddressTheDialogSettledOn) {
  FakeGui gui;
  kv::test::RecordedLoginServices services;
  kv::login::LoginDialogStep step(gui, services.Make());
  const std::string game = "http://127.0.0.1:1/game/play?play_gamecode=abc";
  gui.mainLoopScript = [&] {
    gui.WebViews().at(0)->PageLoads("http://127.0.0.1:1/login/lorvik/gy");
    gui.WebViews().at(0)->PageNavigates(game);
  };
  EXPECT_EQ(step.Run(), game);
  EXPECT_TRUE(gui.Windows().empty());

  gui.mainLoopScript = [] {};
  EXPECT_EQ(step.Run(), "") << "a login that never ends yields no address";
}

}  // namespace
