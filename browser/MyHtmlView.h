#pragma once
// CMyHtmlView: the web page view that the main window and the game window
// place in their client areas. Right-button presses and double-clicks never
// reach the page and it shows no context menu; every navigation, new window
// and error page proceeds; after each completed document its click sink is
// connected to the current top-level document, exactly once.

#include <cstdint>
#include <memory>
#include <string>

#include "browser/DocEvtHandler.h"
#include "platform/Gui.h"

namespace kv::browser {

class CMyHtmlView : public platform::WebViewEvents {
 public:
  static constexpr int kControlId = 10000;

  explicit CMyHtmlView(platform::Gui& gui, SDocEvtHandler::TraceSink trace = {});
  ~CMyHtmlView() override;
  CMyHtmlView(const CMyHtmlView&) = delete;
  CMyHtmlView& operator=(const CMyHtmlView&) = delete;

  // Creates the view inside `parent` at `rect` (collapsed when empty). Owners
  // pass the window name "MyWebBrowser" and control id 10000.
  bool Create(const std::string& windowName, const platform::Rect& rect, platform::Window& parent,
              int id);
  void Navigate(const std::string& url);
  // Places the view in the parent's client coordinates (the repaint flag has no
  // effect: the web engine repaints by itself).
  void MoveWindow(int x, int y, int width, int height, bool repaint = true);
  // Reloads the page (the browser object's Refresh).
  void Refresh();

  const std::string& GetWindowName() const { return m_strWindowName; }
  int GetDlgCtrlID() const { return m_nId; }
  // The click sink's connection: non-zero while connected to the document.
  std::uint32_t ConnectionCookie() const { return m_dwCookie; }

  // The browser object: navigation, reload, placement.
  std::unique_ptr<platform::WebView> m_pBrowserApp;

  // --- platform::WebViewEvents
  void OnBeforeNavigate(const std::string& url, bool& cancel) override;
  void OnNavigateComplete(const std::string& url) override;
  void OnDocumentComplete(const std::string& url, bool mainFrame) override;
  bool OnMouseDown(platform::MouseButton button, bool doubleClick) override;
  bool OnContextMenu() override;
  void OnDocumentClick(const std::string& href, bool insideLink, bool mainFrame) override;

 private:
  void ConnectSink();

  platform::Gui& m_gui;
  std::unique_ptr<SDocEvtHandler> m_pEventHandler;
  std::uint32_t m_dwCookie = 0;
  // The top-level document shown now (counted per commit) and the one the sink
  // is connected to.
  std::uint32_t m_nDocument = 0;
  std::uint32_t m_nConnectedDocument = 0;
  std::uint32_t m_nNextCookie = 0;
  std::string m_strWindowName;
  int m_nId = 0;
};

}  // namespace kv::browser
