#include "browser/DocEvtHandler.h"

#include "platform/Os.h"

namespace kv::browser {

SDocEvtHandler::SDocEvtHandler(TraceSink sink) : m_sink(std::move(sink)) {
  if (!m_sink) {
    m_sink = [](std::string_view line) { platform::DebugTrace(line); };
  }
}

void SDocEvtHandler::OnClick(const std::string& href, bool insideLink) {
  if (!insideLink) {
    return;
  }
  m_sink("单击事件:" + href + "\r\n");
}

}  // namespace kv::browser
