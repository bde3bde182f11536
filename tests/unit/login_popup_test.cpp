#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/Paths.h"
#include "app/Settings.h"
#include "login/LoginKeys.h"
#include "login/LorvikLogin.h"
#include "login/SavedAccount.h"
#include "platform/Keys.h"
#include "res/Resources.h"
#include "res/StringIds.h"
#include "tests/fake/FakeGui.h"
#include "tests/support/LoginFixtures.h"

namespace {

using kv::fake::FakeGui;
using kv::fake::FakeWebView;
using kv::fake::FakeWindow;
using kv::fake::PaintOp;
using kv::login::ClassifyLoginPopupKey;
using kv::login::CLoginPopupDlg;
using kv::login::CLorvikLogin;
using kv::login::LoginKeyAction;
using kv::platform::Rect;
using namespace kv::platform;  // key codes

class LoginPopupTest : public ::testing::Test {
 protected:
  LoginPopupTest() : dialog_(gui_, services_.Make()) {}

  void Run(std::function<void()> whileRunning) {
    gui_.mainLoopScript = std::move(whileRunning);
    dialog_.DoModal();
  }
  CLoginPopupDlg& Popup() { return *dialog_.Popup(); }
  FakeWindow& PopupWindow() { return *gui_.FindWindow(Popup().NativeWindow()->Handle()); }
  FakeWebView& Page() { return *gui_.WebViews().at(0); }

  FakeGui gui_;
  kv::test::RecordedLoginServices services_;
  CLorvikLogin dialog_;
};

TEST_F(LoginPopupTest, SeeThroughGreenNearlyOpaqueWithItsButtons) {
  Run([&] {
    FakeWindow& popup = PopupWindow();
    EXPECT_EQ(popup.ClientSize(), (Size{714, 488}));
    ASSERT_TRUE(popup.ColorKey().has_value());
    EXPECT_EQ(popup.ColorKey()->argb, 0xFF00FF00u);
    EXPECT_EQ(popup.Opacity(), 250);
    EXPECT_FALSE(popup.TaskbarEntry());

    struct Button {
      const kv::ui::CTouchButton& button;
      int id;
      Rect place;
      const char* name;
    };
    for (const Button& b :
         {Button{Popup().CloseButton(), CLoginPopupDlg::IDC_BTN_CLOSE, {679, 1, 35, 36}, "close"},
          Button{Popup().MinimizeButton(),
                 CLoginPopupDlg::IDC_BTN_MINIMIZE,
                 {644, 5, 35, 36},
                 "minimise"}}) {
      ASSERT_NE(b.button.GetWindow(), nullptr) << b.name;
      EXPECT_EQ(b.button.GetId(), b.id) << b.name;
      EXPECT_EQ(b.button.GetWindow()->Geometry(), b.place) << b.name;
      EXPECT_TRUE(b.button.GetWindow()->IsVisible()) << b.name;
    }
  });
}

TEST_F(LoginPopupTest, BackgroundIsBitmap318TiledFromTheCorner) {
  Run([&] {
    const auto textures = PopupWindow().Paint().OpsOf(PaintOp::Kind::kTexture);
    ASSERT_EQ(textures.size(), 1u);
    ASSERT_NE(textures[0].image, nullptr);
    EXPECT_EQ(textures[0].image->GetSize(), (Size{714, 488}));
    EXPECT_EQ(textures[0].area, (Rect{0, 0, 714, 488}));
    EXPECT_EQ(textures[0].at, (Point{0, 0}));
  });
}

TEST_F(LoginPopupTest, LoginPageLoadsCollapsedAndIsPlacedBelowTheBand) {
  Run([&] {
    ASSERT_EQ(gui_.WebViews().size(), 1u);
    FakeWebView& page = Page();
    EXPECT_EQ(&page.Host(), &PopupWindow());
    EXPECT_EQ(page.Navigations(),
              (std::vector<std::string>{kv::res::LoadString(kv::res::IDS_LOGIN_URL)}));
    EXPECT_EQ(page.Placements().front(), (Rect{0, 0, 714, 488})) << "activated over the client";
    EXPECT_TRUE(page.Placement().IsEmpty()) << "collapsed right after navigating";
    EXPECT_EQ(Popup().WebForm()->m_rcPlacement, (Rect{0, 47, 686, 437}));
    EXPECT_EQ(services_.updateChecks, 0);

    page.PageLoads(kv::res::LoadString(kv::res::IDS_LOGIN_URL));
    EXPECT_EQ(services_.updateChecks, 1);
    EXPECT_EQ(page.Placement(), (Rect{0, 47, 686, 437}));
  });
}

TEST(LoginKeysTest, KeyTableWithAndWithoutCtrl) {
  struct Case {
    int key;
    LoginKeyAction plain;
    LoginKeyAction withCtrl;
    const char* name;
  } const cases[] = {
      {kKeyReturn, LoginKeyAction::kDeliverAsIs, LoginKeyAction::kDeliverAsIs, "Enter"},
      {kKeyTab, LoginKeyAction::kForwardToPage, LoginKeyAction::kForwardToPage, "Tab"},
      {'A', LoginKeyAction::kDefault, LoginKeyAction::kForwardToPage, "A"},
      {'C', LoginKeyAction::kDefault, LoginKeyAction::kForwardToPage, "C"},
      {'V', LoginKeyAction::kDefault, LoginKeyAction::kForwardToPage, "V"},
      {'X', LoginKeyAction::kDefault, LoginKeyAction::kForwardToPage, "X"},
      {'B', LoginKeyAction::kDefault, LoginKeyAction::kDefault, "B"},
      {'Z', LoginKeyAction::kDefault, LoginKeyAction::kDefault, "Z"},
      {kKeySpace, LoginKeyAction::kDiscard, LoginKeyAction::kDiscard, "Space"},
      {kKeyEscape, LoginKeyAction::kDiscard, LoginKeyAction::kDiscard, "Escape"},
      {kKeyBack, LoginKeyAction::kDefault, LoginKeyAction::kDefault, "Backspace"},
      {kKeyF5, LoginKeyAction::kDefault, LoginKeyAction::kDefault, "F5"},
      {'1', LoginKeyAction::kDefault, LoginKeyAction::kDefault, "1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifyLoginPopupKey(c.key, 0), c.plain) << c.name;
    EXPECT_EQ(ClassifyLoginPopupKey(c.key, kModCtrl), c.withCtrl) << "Ctrl+" << c.name;
    EXPECT_EQ(ClassifyLoginPopupKey(c.key, kModCtrl | kModShift), c.withCtrl)
        << "Ctrl+Shift+" << c.name;
    EXPECT_EQ(ClassifyLoginPopupKey(c.key, kModShift | kModAlt), c.plain) << "Shift+Alt+" << c.name;
  }
}

TEST_F(LoginPopupTest, KeysReachThePageOrAreDroppedAsTheTableSays) {
  struct Case {
    int key;
    int modifiers;
    bool consumed;
    bool focusesPage;  // once the page is shown
    const char* name;
  } const cases[] = {
      {kKeyReturn, 0, false, false, "Enter goes to the page as it is"},
      {kKeyTab, 0, false, false, "Tab: the focus chain takes it into the page"},
      {'A', kModCtrl, false, true, "Ctrl+A"},
      {'C', kModCtrl, false, true, "Ctrl+C"},
      {'V', kModCtrl, false, true, "Ctrl+V"},
      {'X', kModCtrl, false, true, "Ctrl+X"},
      {'A', 0, false, false, "A"},
      {'X', kModShift, false, false, "Shift+X"},
      {kKeySpace, 0, true, false, "Space"},
      {kKeySpace, kModCtrl, true, false, "Ctrl+Space"},
      {kKeyEscape, 0, true, false, "Escape"},
      {'Q', kModCtrl, false, false, "Ctrl+Q"},
  };
  Run([&] {
    FakeWebView& page = Page();
    for (bool shown : {false, true}) {
      if (shown) {
        page.PageLoads(kv::res::LoadString(kv::res::IDS_LOGIN_URL));
      }
      for (const Case& c : cases) {
        const int focusBefore = page.FocusRequests();
        EXPECT_EQ(PopupWindow().KeyDown(c.key, c.modifiers), c.consumed)
            << c.name << (shown ? " (page shown)" : " (page hidden)");
        EXPECT_EQ(page.FocusRequests() - focusBefore, shown && c.focusesPage ? 1 : 0)
            << c.name << (shown ? " (page shown)" : " (page hidden)");
      }
    }
    EXPECT_TRUE(services_.questions.empty());
    EXPECT_FALSE(dialog_.Ended());
  });
}

// The settings file of the sandboxed program folder, removed again afterwards.
class ScopedSettingsFile {
 public:
  explicit ScopedSettingsFile(const std::string& text) : path_(kv::app::GetSettingsPath()) {
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path());
    std::ofstream(path_, std::ios::binary) << text;
  }
  ~ScopedSettingsFile() { std::filesystem::remove(path_); }
  ScopedSettingsFile(const ScopedSettingsFile&) = delete;
  ScopedSettingsFile& operator=(const ScopedSettingsFile&) = delete;

 private:
  std::string path_;
};

TEST(LoginSavedValuesTest, ReadAndDecodedWhenThePopupOpens) {
  struct Case {
    const char* name;
    const char* file;  // null: no settings file
    const char* account;
    const char* password;
    const char* remember;
    const char* autoLogin;
  } const cases[] = {
      {"no file", nullptr, "", "", "1", "0"},
      {"shipped defaults", "[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nautologin=0\r\n", "",
       "", "1", "0"},
      {"saved account", "[Info]\r\ncode=cGxheWVyMQ==\r\npwd=a29ydmFuZTEyMw==\r\nrem=0\r\n",
       "player1", "korvane123", "0", "0"},
      {"padding and stray characters skipped", "[Info]\r\ncode=cGxh eWVy\tMQ\r\npwd=*a29y*\r\n",
       "player1", "kor", "1", "0"},
      {"non-ASCII account", "[Info]\r\ncode=546p5a62\r\n", "玩家", "", "1", "0"},
      {"flags other than exactly 0 are on", "[Info]\r\nrem=no\r\n[Setting]\r\nautologin=00\r\n", "",
       "", "1", "1"},
      {"empty flags are on", "[info]\r\nREM=\r\n[SETTING]\r\nAutoLogin=\r\n", "", "", "1", "1"},
      {"auto-login off exactly", "[Setting]\r\nautologin=0\r\n", "", "", "1", "0"},
      {"auto-login on", "[Setting]\r\nautologin=1\r\n", "", "", "1", "1"},
  };
  for (const Case& c : cases) {
    kv::login::g_strSavedAccount.clear();
    kv::login::g_strSavedPassword.clear();
    kv::login::g_strSavedRemember.clear();
    kv::login::g_strSavedAutoLogin.clear();
    std::optional<ScopedSettingsFile> file;
    if (c.file != nullptr) {
      file.emplace(c.file);
    }
    FakeGui gui;
    kv::test::RecordedLoginServices services;
    CLorvikLogin dialog(gui, services.Make());
    gui.mainLoopScript = [] {};
    dialog.DoModal();
    EXPECT_EQ(kv::login::g_strSavedAccount, c.account) << c.name;
    EXPECT_EQ(kv::login::g_strSavedPassword, c.password) << c.name;
    EXPECT_EQ(kv::login::g_strSavedRemember, c.remember) << c.name;
    EXPECT_EQ(kv::login::g_strSavedAutoLogin, c.autoLogin) << c.name;
  }
}

}  // namespace
