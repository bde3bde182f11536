// Process entry on Linux. The raw command line of the launcher is the
// arguments after the program name joined by single blanks.

#include <string>

#include "app/App.h"
#include "platform/linux/gtk/GtkGui.h"

int main(int argc, char** argv) {
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) {
      commandLine += ' ';
    }
    commandLine += argv[i];
  }
  kv::platform::GtkGui gui;
  return kv::app::CLorvik_Q7App(gui).InitInstance(commandLine);
}
