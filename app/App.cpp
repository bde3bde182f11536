#include "app/App.h"

#include "app/Modes.h"
#include "platform/Gui.h"

namespace kv::app {

// Mode selection is filled in by the start-up work; until then every start is ordinary.
int CLorvik_Q7App::InitInstance(const std::string& commandLine) {
  (void)commandLine;
  return RunOrdinaryLauncher(gui_);
}

}  // namespace kv::app
