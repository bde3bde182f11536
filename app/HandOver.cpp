#include "app/HandOver.h"

#include <exception>

#include "app/FileUtil.h"
#include "app/RunLog.h"
#include "app/Text.h"
#include "platform/Os.h"

namespace kv::app {

namespace {

constexpr std::size_t kMaxFailureText = 254;

void LogSuccess(const std::string& targetPath) {
  std::string digest;
  GetFileMd5(targetPath, digest);  // a failed digest is logged empty
  WriteLog("Finish download,current file md5=" + digest);
  WriteLog("Update success.Current Version:" + GetFileVersionText(targetPath));
  WriteLog("=====================");
}

}  // namespace

void RunUpdateHandOver(const std::string& targetPath) {
  try {
    const int error = platform::ReplaceFileAtomically(platform::ExecutablePath(), targetPath);
    if (error == 0) {
      LogSuccess(targetPath);
      platform::StartProcess(targetPath, "");
      platform::ExitProcess(0);
    }
    WriteLog("Update failure.Error Code:" + std::to_string(static_cast<long>(error)));
    WriteLog("=====================");
  } catch (const std::exception& failure) {
    WriteLog("Try Commond -d Exception");
    WriteLog(CutToUtf16Units(failure.what(), kMaxFailureText));
  }
}

}  // namespace kv::app
