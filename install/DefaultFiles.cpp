#include <filesystem>
#include <system_error>

#include "app/Decimal.h"
#include "app/Settings.h"
#include "install/Setup.h"
#include "install/zip/Unzip.h"
#include "res/Resources.h"

namespace kv::install {

namespace {

constexpr std::int32_t kUnpackedMarker = 1001;
constexpr const char* kSettingsMember = "systemset.ini";

bool EntryExists(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

void ExtractArchive(std::span<const std::uint8_t> archiveBytes, const std::string& resFolder) {
  zip::HZIP archive = zip::UnzipOpenMemory(archiveBytes.data(), archiveBytes.size());
  if (archive == nullptr) {
    return;  // no archive, or not one: nothing to unpack, the marker is written all the same
  }
  zip::UnzipSetTargetFolder(archive, resFolder);
  zip::UnzipEntry summary;
  if (zip::UnzipGetEntry(archive, -1, &summary) == zip::UZR_OK) {
    const int count = summary.index;
    for (int index = 0; index < count; ++index) {
      zip::UnzipEntry entry;
      if (zip::UnzipGetEntry(archive, index, &entry) != zip::UZR_OK || entry.name.empty()) {
        continue;
      }
      // The user's settings are never overwritten by the defaults.
      if (entry.name == kSettingsMember && EntryExists(resFolder + "/" + entry.name)) {
        continue;
      }
      // The reader writes each file under a temporary name and moves it into
      // place only when it is complete and its CRC matches, so a damaged
      // member leaves nothing behind (above all no truncated settings file).
      zip::UnzipExtractFile(archive, entry.index, entry.name);
    }
  }
  zip::UnzipClose(archive);
}

}  // namespace

void UnpackDefaultFiles(const std::string& programFolder) {
  UnpackDefaultFiles(programFolder, res::Find(res::Type::kZIP, kDefaultsArchiveId));
}

void UnpackDefaultFiles(const std::string& programFolder,
                        std::span<const std::uint8_t> defaultsArchive) {
  const std::string resFolder = programFolder + "/res";
  const std::string settings = SettingsFileIn(programFolder);
  if (app::ParseDecimal(app::ReadProfileString(settings, "Setting", "start", "-1")) ==
      kUnpackedMarker) {
    return;
  }
  std::error_code error;
  std::filesystem::create_directories(resFolder, error);
  ExtractArchive(defaultsArchive, resFolder);

  const std::filesystem::path leftover = programFolder + "/data.zip";
  if (EntryExists(leftover) && !std::filesystem::is_directory(leftover, error)) {
    std::filesystem::remove(leftover, error);
  }
  app::WriteProfileString(settings, "Setting", "start", std::to_string(kUnpackedMarker));
}

}  // namespace kv::install
