// Test driver for the end-to-end tests of the main window: the ordinary
// launcher's main window on the real window system, with a login step that
// yields the address given as the first argument (none: an empty address).
// Not part of the shipped launcher.

#include <cstdio>
#include <string>

#include "mainwnd/LoginStep.h"
#include "mainwnd/Lorvik_Q7Dlg.h"
#include "platform/linux/gtk/GtkGui.h"

namespace {

class AddressLoginStep final : public kv::mainwnd::LoginStep {
 public:
  explicit AddressLoginStep(std::string address) : address_(std::move(address)) {}
  std::string Run() override { return address_; }

 private:
  std::string address_;
};

}  // namespace

int main(int argc, char** argv) {
  kv::platform::GtkGui gui;
  if (!gui.Initialize()) {
    std::fputs("mainwnd-driver: no display\n", stderr);
    return 2;
  }
  AddressLoginStep login(argc > 1 ? argv[1] : "");
  kv::mainwnd::CLorvik_Q7Dlg dialog(gui, login);
  const int result = dialog.DoModal();
  std::printf("mainwnd-driver: dialog ended with %d\n", result);
  std::fflush(stdout);
  return result < 0 ? 1 : 0;
}
