#include "app/Modes.h"
#include "mainwnd/LoginStep.h"
#include "mainwnd/Lorvik_Q7Dlg.h"

namespace kv::app {

// The ordinary launcher: the main window runs until a prompt ends it.
int RunOrdinaryLauncher(platform::Gui& gui) {
  mainwnd::NoLoginStep login;
  mainwnd::CLorvik_Q7Dlg dialog(gui, login);
  return dialog.DoModal() < 0 ? 1 : 0;
}

}  // namespace kv::app
