#include "browser/WebBrowserBase.h"

namespace kv::browser {

CWebBrowserBase::CWebBrowserBase(platform::Gui& gui) : gui_(gui) {}

// The view goes first: once it is gone no event can reach this object.
CWebBrowserBase::~CWebBrowserBase() {
  m_pWebBrowser.reset();
}

bool CWebBrowserBase::InPlaceActivate() {
  platform::Window* host = GetHostWindow();
  if (m_rcObject.IsEmpty() && host != nullptr) {
    const platform::Size client = host->ClientSize();
    m_rcObject = {0, 0, client.width, client.height};
  }
  if (m_bInPlaceActive) {
    return true;
  }
  // Set before the view exists and kept when making it fails, so that a later
  // call cannot make a second view.
  m_bInPlaceActive = true;
  if (host == nullptr) {
    return false;
  }
  m_pWebBrowser = gui_.MakeWebView(*host, sink_, GetHostInfo());
  if (!m_pWebBrowser) {
    return false;
  }
  m_pWebBrowser->Place(m_rcObject);
  return true;
}

bool CWebBrowserBase::SetLocation(const platform::Rect& rect) {
  if (m_bInPlaceActive) {
    if (!m_pWebBrowser) {
      return false;
    }
    m_pWebBrowser->Place(rect);
  }
  m_rcObject = rect;
  return true;
}

bool CWebBrowserBase::Navigate(const std::string& url) {
  m_strUrl = url;
  if (!m_pWebBrowser) {
    return false;
  }
  m_pWebBrowser->Navigate(url);
  return true;
}

platform::WebView* CWebBrowserBase::GetIEServerWindow() const {
  if (!m_pWebBrowser || m_pWebBrowser->Placement().IsEmpty()) {
    return nullptr;
  }
  return m_pWebBrowser.get();
}

void CWebBrowserBase::EventSink::OnBeforeNavigate(const std::string& url, bool& cancel) {
  short cancelFlag = cancel ? 1 : 0;
  host_.OnBeforeNavigate2(url, &cancelFlag);
  cancel = cancelFlag != 0;
}

// Frames and the top-level page alike: the host does not tell them apart.
void CWebBrowserBase::EventSink::OnDocumentComplete(const std::string& url, bool /*mainFrame*/) {
  host_.OnDocumentComplete(url);
}

}  // namespace kv::browser
