#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include "app/Decimal.h"
#include "app/RunLog.h"
#include "platform/Http.h"
#include "platform/Os.h"
#include "update/UpdateModule.h"
#include "update/UpdateSupport.h"

namespace kv::update {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Streams the body onto the end of the target as it arrives. The status and
// Content-Length are logged when the response headers are in; a target that
// already holds the announced number of bytes is left alone.
class DownloadListener final : public platform::HttpListener {
 public:
  explicit DownloadListener(const std::string& target) : target_(target) {}

  bool OnResponse(long status, std::optional<std::string_view> contentLength) override {
    app::WriteLog(WithNumber("Http QueryInfoStatusCode:", status));
    if (status >= kFirstErrorStatus) {
      return false;
    }
    total_ = contentLength ? app::ParseDecimal(*contentLength) : 0;
    app::WriteLog(WithNumber("Content length:", total_));

    // Append mode creates a missing target and keeps what an existing one holds.
    file_.reset(std::fopen(target_.c_str(), "ab"));
    if (!file_ || std::fseek(file_.get(), 0, SEEK_END) != 0) {
      file_.reset();
      return false;
    }
    existing_ = std::ftell(file_.get());
    if (existing_ == total_) {
      app::WriteLog("ERROR!Before download dwFileSize == dwToatlSize,exit");
      file_.reset();
      return false;
    }
    // Each piece goes to the file as it comes, without a second buffer.
    std::setvbuf(file_.get(), nullptr, _IONBF, 0);
    return true;
  }

  bool OnBody(std::string_view piece) override {
    if (std::fwrite(piece.data(), 1, piece.size(), file_.get()) != piece.size()) {
      writeFailure_ = std::strerror(errno);
      return false;
    }
    written_ += static_cast<std::int64_t>(piece.size());
    return true;
  }

  // Closes the target; false (with WriteFailure() set) when closing failed.
  bool Close() {
    if (file_ && std::fclose(file_.release()) != 0) {
      writeFailure_ = std::strerror(errno);
      return false;
    }
    return true;
  }

  bool Complete() const { return existing_ + written_ == total_; }
  std::int32_t Total() const { return total_; }
  const std::optional<std::string>& WriteFailure() const { return writeFailure_; }

 private:
  const std::string& target_;
  FilePtr file_;
  std::int32_t total_ = 0;
  std::int64_t existing_ = 0;
  std::int64_t written_ = 0;
  std::optional<std::string> writeFailure_;
};

}  // namespace

void CUpdateModule::DownloadAndRun(const std::string& url) {
  app::WriteLog("ExcuUpdate,URL=" + url);
  DownloadListener listener(m_strTempExe);
  // No connect limit here: the library's default applies to the download.
  const platform::HttpResult result = platform::HttpGet(url, {AgentText(), std::nullopt}, listener);
  const bool closed = listener.Close();
  if (result.kind == platform::HttpResult::Kind::kFailed) {
    LogTransferFailure(result.failure);
    return;
  }
  if (listener.WriteFailure()) {
    LogTransferFailure(*listener.WriteFailure());
    return;
  }
  if (result.kind != platform::HttpResult::Kind::kComplete || !closed || !listener.Complete()) {
    return;
  }

  app::WriteLog(WithNumber("Finish download,file size=", listener.Total()));
  std::string digest;
  if (!m_digest(m_strTempExe, digest)) {
    digest.clear();  // a failed digest is logged as an empty text
  }
  app::WriteLog("Finish download,file md5=" + digest);
  platform::MakeExecutable(m_strTempExe);
  m_launcher(m_strTempExe, m_strInstalledExe);
}

void CUpdateModule::StartUpdater(const std::string& tempExe, const std::string& installedExe) {
  platform::StartProcess(tempExe, "-d " + installedExe);
  platform::ExitProcess(0);
}

}  // namespace kv::update
