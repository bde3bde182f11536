#include "app/FileUtil.h"

#include <cstdio>
#include <filesystem>
#include <string_view>

#include "platform/Os.h"
#include "platform/VersionRecord.h"

namespace kv::app {

bool GetFileMd5(const std::string& path, std::string& digest) {
  unsigned char bytes[16];
  if (!platform::Md5OfFile(path, bytes)) {
    return false;
  }
  for (unsigned char byte : bytes) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", byte);
    digest += hex;
  }
  return true;
}

std::string GetFileVersionText(const std::string& path) {
  std::error_code error;
  if (path.empty() || !std::filesystem::exists(path, error)) {
    return {};
  }
  const auto record = platform::ReadVersionRecord(path);
  if (!record) {
    return "None VerSion Supprot";
  }
  auto lookup = [&](std::string_view name) -> const std::string* {
    for (const auto& [key, value] : *record) {
      if (key == name) {
        return &value;
      }
    }
    return nullptr;
  };
  // Every translation contributes its FileVersion, run together, as the
  // version resource of the original platform does.
  std::string text;
  const std::string* translations = lookup("Translation");
  std::string_view list = translations != nullptr ? *translations : std::string_view();
  while (!list.empty()) {
    const std::size_t blank = list.find(' ');
    const std::string_view pair = list.substr(0, blank);
    if (!pair.empty()) {
      if (const std::string* version = lookup(std::string(pair) + "/FileVersion")) {
        text += *version;
      }
    }
    list = blank == std::string_view::npos ? std::string_view() : list.substr(blank + 1);
  }
  return text;
}

bool IsFolderEmpty(const std::string& path) {
  std::error_code error;
  std::filesystem::directory_iterator it(path, error);
  return error || it == std::filesystem::directory_iterator();
}

}  // namespace kv::app
