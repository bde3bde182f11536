#include "browser/MyHtmlView.h"

namespace kv::browser {

CMyHtmlView::CMyHtmlView(platform::Gui& gui, SDocEvtHandler::TraceSink trace)
    : m_gui(gui), m_pEventHandler(std::make_unique<SDocEvtHandler>(std::move(trace))) {}

CMyHtmlView::~CMyHtmlView() = default;

bool CMyHtmlView::Create(const std::string& windowName, const platform::Rect& rect,
                         platform::Window& parent, int id) {
  m_strWindowName = windowName;
  m_nId = id;
  platform::WebViewOptions options;
  options.reportClicks = true;
  m_pBrowserApp = m_gui.MakeWebView(parent, *this, options);
  if (!m_pBrowserApp) {
    return false;
  }
  m_pBrowserApp->Place(rect);
  return true;
}

void CMyHtmlView::Navigate(const std::string& url) {
  if (m_pBrowserApp) {
    m_pBrowserApp->Navigate(url);
  }
}

void CMyHtmlView::MoveWindow(int x, int y, int width, int height, bool) {
  if (m_pBrowserApp) {
    m_pBrowserApp->Place({x, y, width, height});
  }
}

void CMyHtmlView::Refresh() {
  if (m_pBrowserApp) {
    m_pBrowserApp->Reload();
  }
}

void CMyHtmlView::OnBeforeNavigate(const std::string&, bool& cancel) {
  cancel = false;
}

// A new top-level document replaces the one the sink was connected to; its
// clicks are traced once it has completed.
void CMyHtmlView::OnNavigateComplete(const std::string&) {
  ++m_nDocument;
}

void CMyHtmlView::OnDocumentComplete(const std::string&, bool) {
  ConnectSink();
}

// Disconnects from the previous document, then connects to the current one.
void CMyHtmlView::ConnectSink() {
  m_dwCookie = 0;
  m_nConnectedDocument = m_nDocument;
  m_dwCookie = ++m_nNextCookie;
  if (m_dwCookie == 0) {
    m_dwCookie = ++m_nNextCookie;
  }
}

bool CMyHtmlView::OnMouseDown(platform::MouseButton button, bool) {
  return button == platform::MouseButton::kRight;
}

bool CMyHtmlView::OnContextMenu() {
  return true;
}

void CMyHtmlView::OnDocumentClick(const std::string& href, bool insideLink, bool mainFrame) {
  // The sink listens to the top-level document it was connected to.
  if (m_dwCookie == 0 || !mainFrame || m_nConnectedDocument != m_nDocument) {
    return;
  }
  m_pEventHandler->OnClick(href, insideLink);
}

}  // namespace kv::browser
