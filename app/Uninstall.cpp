#include <cstdio>

#include "app/Modes.h"

namespace kv::app {

// Uninstallation is not built yet; both stages end without touching anything.
void RunUninstallConfirm(platform::Gui&, const std::string&) {
  std::fputs("korvane: uninstallation is not available in this build yet\n", stderr);
}

void RunUninstallRemoval(const std::string&) {
  std::fputs("korvane: uninstallation is not available in this build yet\n", stderr);
}

}  // namespace kv::app
