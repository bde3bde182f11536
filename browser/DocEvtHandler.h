#pragma once
// SDocEvtHandler: the click sink of an HTML view. For a click inside a link it
// writes "单击事件:<href>\r\n" to the debug trace channel; it changes nothing
// in the page.

#include <functional>
#include <string>
#include <string_view>

namespace kv::browser {

class SDocEvtHandler {
 public:
  using TraceSink = std::function<void(std::string_view)>;

  // Traces to platform::DebugTrace unless another sink is given.
  explicit SDocEvtHandler(TraceSink sink = {});

  // A click in the document: `href` of the innermost enclosing link whose tag
  // name is exactly "a" or "A" ("" without an href attribute); `insideLink`
  // false when no link encloses the clicked element (nothing is written then).
  void OnClick(const std::string& href, bool insideLink);

 private:
  TraceSink m_sink;
};

}  // namespace kv::browser
