#include <cstdio>

#include "app/Modes.h"

namespace kv::app {

// The game window is not built yet; the process ends instead of running without a window.
int RunGameWindow(platform::Gui&, std::int64_t, const std::string&) {
  std::fputs("korvane: the game window is not available in this build yet\n", stderr);
  return 1;
}

}  // namespace kv::app
