#include "login/LoginPopupDlg.h"

#include "login/BitmapDecode.h"
#include "login/LoginKeys.h"
#include "login/LorvikLogin.h"
#include "login/SavedAccount.h"
#include "platform/Keys.h"
#include "res/Resources.h"
#include "res/StringIds.h"

namespace kv::login {

using platform::Rect;

namespace {

// The two skinned buttons: images normal, hover, pressed, and their places
// measured from the client area's right edge.
constexpr int kButtonWidth = 35;
constexpr int kButtonHeight = 36;
constexpr int kCloseFromRight = 35;
constexpr int kCloseTop = 1;
constexpr int kMinimizeFromRight = 70;
constexpr int kMinimizeTop = 5;

// The page's place inside the client area: below a 47-pixel band, 28 pixels
// short of the right edge and 4 of the bottom.
constexpr int kPageTop = 47;
constexpr int kPageRightMargin = 28;
constexpr int kPageBottomMargin = 4;

}  // namespace

CLoginPopupDlg::CLoginPopupDlg(platform::Gui& gui, const LoginServices& services,
                               CLorvikLogin* login)
    : m_gui(gui), m_services(services), m_btnMinimize(gui), m_btnClose(gui), m_pLogin(login) {}

// The page host goes first: its view lives in this window.
CLoginPopupDlg::~CLoginPopupDlg() {
  m_pWebForm.reset();
}

bool CLoginPopupDlg::Create(platform::Window& owner) {
  m_pOwner = &owner;
  platform::WindowOptions options;
  options.kind = platform::WindowKind::kPopup;
  options.owner = &owner;
  options.rect = {0, 0, kWidth, kHeight};
  m_pWindow = m_gui.MakeWindow(options, *this);
  if (!m_pWindow) {
    return false;
  }
  OnInitDialog();
  return true;
}

void CLoginPopupDlg::OnInitDialog() {
  m_pWindow->SetColorKey(kSeeThroughColor);
  m_pWindow->SetOpacity(kOpacity);

  LoadSavedAccountValues();

  const platform::Size client = m_pWindow->ClientSize();
  m_pWebForm = std::make_unique<WebFormLogin>(m_gui, this, m_services.runUpdateCheck);
  m_pWebForm->InPlaceActivate();
  m_pWebForm->m_rcPlacement = {0, kPageTop, client.width - kPageRightMargin,
                               client.height - kPageBottomMargin - kPageTop};
  m_pWebForm->Navigate(res::LoadString(res::IDS_LOGIN_URL));
  // Collapsed until the first loaded document has run the update check.
  m_pWebForm->SetLocation({});

  m_btnClose.Create(*m_pWindow, IDC_BTN_CLOSE,
                    {client.width - kCloseFromRight, kCloseTop, kButtonWidth, kButtonHeight},
                    *this);
  m_btnClose.SetStateImages(323, 324, 325);
  m_btnMinimize.Create(
      *m_pWindow, IDC_BTN_MINIMIZE,
      {client.width - kMinimizeFromRight, kMinimizeTop, kButtonWidth, kButtonHeight}, *this);
  m_btnMinimize.SetStateImages(320, 321, 322);

  LoadBackground();
}

void CLoginPopupDlg::LoadBackground() {
  const auto bitmap = DecodeBmp(res::Find(res::Type::kBITMAP, kBackgroundBitmap));
  if (bitmap) {
    m_brushBackground = m_gui.CreateImage(bitmap->width, bitmap->height, bitmap->argb);
  }
  m_pWindow->Invalidate();
}

void CLoginPopupDlg::PlaceOverOwner() {
  if (!m_pWindow || m_pOwner == nullptr) {
    return;
  }
  const Rect owner = m_pOwner->Geometry();
  m_pWindow->Place({owner.x + kOffsetInOwner.x, owner.y + kOffsetInOwner.y, kWidth, kHeight});
  m_pWindow->Invalidate();
  // Shown the way a hidden window is shown on the platform the launcher comes
  // from: made visible and active, so the player can type into the page at once.
  if (!m_pWindow->IsVisible()) {
    m_pWindow->Show();
    m_pWindow->Activate();
  }
}

void CLoginPopupDlg::OnCommand(int id) {
  switch (id) {
    case IDC_BTN_MINIMIZE:
      if (m_pLogin != nullptr) {
        m_pLogin->Minimize();
      }
      break;
    case IDC_BTN_CLOSE:
      RunExitPrompt(m_services, m_pOwner);
      break;
    case ID_NAVIGATE_REPORT:
      CheckHandOver();
      break;
    default:
      break;
  }
}

// Runs inside the page's navigation event. Only the first game page address
// counts: the dialog's loop ends after the event, and a report that arrives
// before then must not replace the address.
void CLoginPopupDlg::CheckHandOver() {
  if (!HasGamePageMarker(g_strLastNavigateUrl) || m_pLogin == nullptr || m_pLogin->Ended()) {
    return;
  }
  m_pLogin->m_strGameUrl = g_strLastNavigateUrl;
  m_pLogin->EndDialog(0);
}

void CLoginPopupDlg::OnPaint(platform::Painter& painter) {
  if (!m_pWindow) {
    return;
  }
  const platform::Size client = m_pWindow->ClientSize();
  painter.FillTexture(m_brushBackground.get(), {0, 0, client.width, client.height}, {0, 0});
}

bool CLoginPopupDlg::OnKeyDown(int key, int modifiers) {
  switch (ClassifyLoginPopupKey(key, modifiers)) {
    case LoginKeyAction::kDiscard:
      return true;
    case LoginKeyAction::kForwardToPage:
      return ForwardKeyToPage(key);
    case LoginKeyAction::kDeliverAsIs:
    case LoginKeyAction::kDefault:
      return false;
  }
  return false;
}

// The page handles the key itself when its view has the keyboard focus, so the
// key is let through to it. The view is the pop-up's only control that takes
// the focus: Tab reaches it by the window's own focus chain, which also moves
// into the page's first field; an editing shortcut pressed while the focus is
// elsewhere brings the focus to the page first. Without a shown page the key
// takes its usual course.
bool CLoginPopupDlg::ForwardKeyToPage(int key) {
  platform::WebView* page = m_pWebForm ? m_pWebForm->GetIEServerWindow() : nullptr;
  if (page != nullptr && key != platform::kKeyTab) {
    page->Focus();
  }
  return false;
}

void CLoginPopupDlg::OnCloseRequest() {
  RunExitPrompt(m_services, m_pOwner);
}

}  // namespace kv::login
