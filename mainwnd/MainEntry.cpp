#include <cstdio>

#include "app/Modes.h"

namespace kv::app {

// The main window is not built yet; the ordinary launcher says so and ends.
int RunOrdinaryLauncher(platform::Gui&) {
  std::fputs("korvane: the launcher window is not available in this build yet\n", stderr);
  return 1;
}

}  // namespace kv::app
