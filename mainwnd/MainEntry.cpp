#include "app/Modes.h"
#include "login/LoginDialogStep.h"
#include "mainwnd/Lorvik_Q7Dlg.h"

namespace kv::app {

// The ordinary launcher: the login, then the main window until a prompt ends it.
int RunOrdinaryLauncher(platform::Gui& gui) {
  login::LoginDialogStep login(gui, login::DefaultLoginServices(gui));
  mainwnd::CLorvik_Q7Dlg dialog(gui, login);
  return dialog.DoModal() < 0 ? 1 : 0;
}

}  // namespace kv::app
