#pragma once
// One self-update attempt: the version request to the update server, the
// download of the newer executable it names, and the hand-over to it.
// Everything runs synchronously on the calling thread; the run log is its trace.

#include <functional>
#include <string>

#include "app/FileUtil.h"

namespace kv::update {

class CUpdateModule {
 public:
  // Starts the downloaded executable in hand-over mode. StartUpdater, the one
  // used by the launcher, ends the process; tests put a recorder in its place.
  using Launcher = std::function<void(const std::string& tempExe, const std::string& installedExe)>;
  // Appends a file's MD5 text to `digest`; false when it cannot be computed.
  // The launcher uses app::GetFileMd5; tests put a failing one in its place.
  using Digest = std::function<bool(const std::string& path, std::string& digest)>;

  // `tempFileName` is string 118 ("/q7kovrtmp.exe"), `subFolder` string 119 +
  // string 117 + "/" ("/rozovizo_7/kovr/"). Creates the cache folder when it is
  // missing and deletes an executable left there by an earlier attempt.
  CUpdateModule(const std::string& tempFileName, const std::string& subFolder,
                Launcher launcher = &CUpdateModule::StartUpdater, Digest digest = &app::GetFileMd5);

  // Asks the server at "<baseUrl>/<queryHead><version>" and logs its reply. True
  // when it names a download: then DownloadUrl() holds the reply.
  bool CheckVersion(const std::string& baseUrl, const std::string& queryHead,
                    const std::string& version);

  // GET of CheckUrl(): the reply's first kMaxReplyBytes bytes as text (up to the
  // first NUL byte), or "" when there was no usable reply.
  std::string HttpGetText();

  // Downloads `url` to TempExe(). When exactly the announced number of bytes
  // arrived, its MD5 text is logged (empty when the digest fails), the file is
  // made executable and the launcher is called with TempExe() and InstalledExe();
  // otherwise this returns and the caller carries on.
  void DownloadAndRun(const std::string& url);

  // Starts `tempExe` with the command line "-d " + `installedExe` and ends the
  // process with exit code 0, whether or not the start succeeded.
  [[noreturn]] static void StartUpdater(const std::string& tempExe,
                                        const std::string& installedExe);

  // The longest reply of the version request that is kept; the rest is not read.
  static constexpr std::size_t kMaxReplyBytes = 1023;

  const std::string& CheckUrl() const { return m_strCheckUrl; }
  const std::string& TempExe() const { return m_strTempExe; }
  const std::string& InstalledExe() const { return m_strInstalledExe; }
  const std::string& SubFolder() const { return m_strSubFolder; }
  const std::string& DownloadUrl() const { return m_strDownloadUrl; }

 private:
  std::string m_strCheckUrl;
  std::string m_strTempExe;
  std::string m_strInstalledExe;
  std::string m_strSubFolder;
  std::string m_strDownloadUrl;
  Launcher m_launcher;
  Digest m_digest;
};

}  // namespace kv::update
