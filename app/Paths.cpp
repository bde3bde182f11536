#include "app/Paths.h"

#include "platform/Os.h"
#include "res/Resources.h"
#include "res/StringIds.h"

namespace kv::app {

std::string GetProgramFolder() {
  static std::string kept;
  if (kept.empty()) {
    std::string folder = platform::UserDataHome().string();
    while (folder.size() > 1 && folder.ends_with('/')) {
      folder.pop_back();
    }
    folder += '/' + res::LoadString(res::IDS_PUBLISHER_FOLDER) + '/' +
              res::LoadString(res::IDS_GAME_CODE) + '/';
    kept = folder;
  }
  return kept;
}

std::filesystem::path GetCacheFolder() { return platform::UserDataHome() / "cache"; }

}  // namespace kv::app
