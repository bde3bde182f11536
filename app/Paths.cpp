#include "app/Paths.h"

#include "platform/Os.h"
#include "res/Resources.h"
#include "res/StringIds.h"

namespace kv::app {

std::string ComposeProgramFolder(const std::filesystem::path& dataHome) {
  std::string folder = dataHome.string();
  // Trailing separators are dropped so that exactly one stands between the
  // parts; a data home of "/" leaves the text empty and the folder at the root.
  while (folder.ends_with('/')) {
    folder.pop_back();
  }
  return folder + '/' + res::LoadString(res::IDS_PUBLISHER_FOLDER) + '/' +
         res::LoadString(res::IDS_GAME_CODE) + '/';
}

std::string GetProgramFolder() {
  // Kept from the first call; the initialisation of a function-local static is
  // thread-safe, so a worker thread asking first cannot race the UI thread.
  static const std::string kept = ComposeProgramFolder(platform::UserDataHome());
  return kept;
}

std::filesystem::path GetCacheFolder() {
  return platform::UserDataHome() / "cache";
}

}  // namespace kv::app
