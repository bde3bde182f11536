#include "update/UpdateModule.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string_view>

#include "app/Decimal.h"
#include "app/Paths.h"
#include "app/RunLog.h"
#include "app/Text.h"
#include "platform/Http.h"
#include "platform/Os.h"
#include "update/UpdateSupport.h"

namespace kv::update {

namespace {

constexpr std::chrono::milliseconds kVersionConnectTimeout{5000};
// Replies of at most this many characters mean "no update".
constexpr std::size_t kLongestNoUpdateReply = 5;

// The data home without trailing separators, so that exactly one stands
// before the sub-folder text (which begins with one).
std::string DataHomeText() {
  std::string text = platform::UserDataHome().string();
  while (text.ends_with('/')) {
    text.pop_back();
  }
  return text;
}

// Collects the reply of the version request: the status line is logged as
// soon as it is known, and no more than kMaxReplyBytes of the body are read.
class ReplyListener final : public platform::HttpListener {
 public:
  bool OnResponse(long status, std::optional<std::string_view>) override {
    app::WriteLog(WithNumber("Http QueryInfoStatusCode:", status));
    usable_ = status < kFirstErrorStatus;
    return usable_;
  }

  bool OnBody(std::string_view piece) override {
    const std::size_t room = CUpdateModule::kMaxReplyBytes - text_.size();
    text_.append(piece.substr(0, room));
    return piece.size() <= room;
  }

  bool usable() const { return usable_; }
  const std::string& text() const { return text_; }

 private:
  bool usable_ = false;
  std::string text_;
};

// The reply is text: it ends at a NUL byte, and bytes that are not UTF-8
// become U+FFFD, so that a garbage reply still makes a clean log line.
std::string ReplyText(std::string_view bytes) {
  bytes = bytes.substr(0, bytes.find('\0'));
  return app::Utf16ToUtf8(app::Utf8ToUtf16(bytes));
}

}  // namespace

CUpdateModule::CUpdateModule(const std::string& tempFileName, const std::string& subFolder,
                             Launcher launcher, Digest digest)
    : m_launcher(std::move(launcher)), m_digest(std::move(digest)) {
  std::error_code error;
  const std::filesystem::path cache = app::GetCacheFolder();
  if (!std::filesystem::is_directory(cache, error)) {
    std::filesystem::create_directories(cache, error);
  }
  m_strTempExe = cache.string() + tempFileName;
  if (!std::filesystem::is_directory(m_strTempExe, error)) {
    std::filesystem::remove(m_strTempExe, error);
  }
  m_strInstalledExe = DataHomeText() + subFolder + platform::ExecutablePath().filename().string();
  m_strSubFolder = subFolder;
}

bool CUpdateModule::CheckVersion(const std::string& baseUrl, const std::string& queryHead,
                                 const std::string& version) {
  m_strCheckUrl = baseUrl + '/' + queryHead + version;
  const std::string reply = HttpGetText();
  app::WriteLog("Server response check version msg:" + reply);
  if (app::Utf8ToUtf16(reply).size() <= kLongestNoUpdateReply || app::ParseDecimal(reply) < 0) {
    app::WriteLog("Finish Update.");
    app::WriteLog("=====================");
    return false;
  }
  m_strDownloadUrl = reply;
  return true;
}

std::string CUpdateModule::HttpGetText() {
  ReplyListener listener;
  const platform::HttpResult result =
      platform::HttpGet(m_strCheckUrl, {AgentText(), kVersionConnectTimeout}, listener);
  if (result.kind == platform::HttpResult::Kind::kFailed) {
    LogTransferFailure(result.failure);
    return {};
  }
  return listener.usable() ? ReplyText(listener.text()) : std::string();
}

}  // namespace kv::update
