#include "update/UpdateDriver.h"

#include <filesystem>

#include "app/FileUtil.h"
#include "app/RunLog.h"
#include "platform/Os.h"
#include "res/Resources.h"
#include "res/StringIds.h"

namespace kv::update {

namespace {

void TrimRunLog() {
  const std::filesystem::path log = app::GetRunLogPath();
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(log, error);
  if (!error && size > kRunLogLimit) {
    std::filesystem::remove(log, error);
  }
}

}  // namespace

void RunUpdateCheck() {
  RunUpdateCheck(&CUpdateModule::StartUpdater);
}

void RunUpdateCheck(const CUpdateModule::Launcher& launcher) {
  TrimRunLog();
  const std::string subFolder =
      res::LoadString(res::IDS_PUBLISHER_FOLDER_SEP) + res::LoadString(res::IDS_GAME_CODE) + '/';
  CUpdateModule update(res::LoadString(res::IDS_UPDATE_TEMP_NAME), subFolder, launcher);

  const std::string baseUrl = res::LoadString(res::IDS_UPDATE_BASE_URL);
  const std::string queryHead = res::LoadString(res::IDS_VERSION_QUERY);
  const std::string version = app::GetFileVersionText(platform::ExecutablePath().string());
  app::WriteLog(baseUrl + '/' + queryHead + version);

  if (update.CheckVersion(baseUrl, queryHead, version)) {
    update.DownloadAndRun(update.DownloadUrl());
  }
}

}  // namespace kv::update
