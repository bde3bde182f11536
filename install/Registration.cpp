#include "install/Registration.h"

#include <filesystem>
#include <system_error>

#include "app/Settings.h"
#include "install/InstallLayout.h"
#include "platform/Os.h"

namespace kv::install {

namespace {

// Readable by every user, like any machine-wide configuration.
constexpr unsigned kEntryMode = 0644;

// A line break inside a value would end it early and start a forged line.
bool FitsOnOneLine(const std::string& value) {
  return value.find_first_of("\r\n") == std::string::npos;
}

}  // namespace

std::string ComposeUninstallEntry(const UninstallValues& values) {
  std::string text = "[";
  text += kUninstallKeyName;
  text += "]\n";
  text += "Path=" + values.path + "\n";
  text += "DisplayName=" + values.displayName + "\n";
  text += "Publisher=" + values.publisher + "\n";
  text += "UninstallString=" + values.uninstallString + "\n";
  return text;
}

bool CreateUninstallEntry(const std::string& file, const UninstallValues& values) {
  if (file.empty() || !FitsOnOneLine(values.path) || !FitsOnOneLine(values.displayName) ||
      !FitsOnOneLine(values.publisher) || !FitsOnOneLine(values.uninstallString)) {
    return false;
  }
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(file).parent_path(), error);
  return platform::CreateFileOnce(file, ComposeUninstallEntry(values), kEntryMode) ==
         platform::CreateOnceResult::kCreated;
}

void UpdateProfileCopy(const std::string& profileFile, const UninstallValues& values) {
  if (profileFile.empty() ||
      app::ReadProfileString(profileFile, kUninstallKeyName, "Path", "no find!") == values.path) {
    return;
  }
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(profileFile).parent_path(), error);
  app::WriteProfileString(profileFile, kUninstallKeyName, "Path", values.path);
  app::WriteProfileString(profileFile, kUninstallKeyName, "DisplayName", values.displayName);
  app::WriteProfileString(profileFile, kUninstallKeyName, "Publisher", values.publisher);
  app::WriteProfileString(profileFile, kUninstallKeyName, "UninstallString",
                          values.uninstallString);
}

}  // namespace kv::install
