#include "res/Resources.h"

#include <cstdlib>

#include "res/ResourceTable.h"
#include "res/StringIds.h"

namespace kv::res {

namespace {

// Paths and names are written with '/', the separator of this platform. Strings 114
// and 191 come from the build (KORVANE_LOGIN_URL, KORVANE_UPDATE_URL options).
struct StringEntry {
  int id;
  const char* text;
};

constexpr StringEntry kStrings[] = {
    {IDS_GAME_TITLE, "Korvane"},
    {IDS_MENU_FOLDER, "Korvane"},
    {IDS_CAPTION, "《Korvane》登入器"},
    {IDS_UNINSTALL_TITLE, "卸载-Korvane"},
    {IDS_LOGIN_URL, KORVANE_BUILD_LOGIN_URL},
    {IDS_CACHE_CLEARING, "缓存清理中，请稍后……"},
    {IDS_GAME_CODE, "kovr"},
    {IDS_UPDATE_TEMP_NAME, "/q7kovrtmp.exe"},
    {IDS_PUBLISHER_FOLDER_SEP, "/rozovizo_7/"},
    {IDS_UNINSTALL_TEMP_NAME, "/cache/q7kovrtmpu.exe"},
    {IDS_PUBLISHER_FOLDER, "rozovizo_7"},
    {IDS_UPDATE_BASE_URL, KORVANE_BUILD_UPDATE_URL},
    {IDS_VERSION_QUERY, "getClientVersion.php?p=vexagame&g=kovr&v="},
    {IDS_SETTINGS_FILE, "res//systemset.ini"},
};

const char* DeploymentOverride(int id) {
  const char* name = id == IDS_LOGIN_URL         ? "KORVANE_LOGIN_URL"
                     : id == IDS_UPDATE_BASE_URL ? "KORVANE_UPDATE_URL"
                                                 : nullptr;
  if (name == nullptr) {
    return nullptr;
  }
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : nullptr;
}

}  // namespace

std::span<const std::uint8_t> Find(Type type, int id) {
  for (const detail::Entry& entry : detail::Entries()) {
    if (entry.type == type && entry.id == id) {
      return {entry.begin, static_cast<std::size_t>(entry.end - entry.begin)};
    }
  }
  return {};
}

std::string LoadString(int id) {
  if (const char* value = DeploymentOverride(id)) {
    return value;
  }
  for (const StringEntry& entry : kStrings) {
    if (entry.id == id) {
      return entry.text;
    }
  }
  return {};
}

}  // namespace kv::res
