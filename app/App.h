#pragma once
// The application object: picks the process role from the raw command line.

#include <string>

namespace kv::platform {
class Gui;
}

namespace kv::app {

class CLorvik_Q7App {
 public:
  explicit CLorvik_Q7App(platform::Gui& gui) : gui_(gui) {}

  // Runs the role that `commandLine` selects; returns the process exit code.
  // The roles that show windows fail with a message on stderr when there is no
  // display; the update hand-over ends the process itself when it succeeds.
  int InitInstance(const std::string& commandLine);

 private:
  bool OpenDisplay();

  platform::Gui& gui_;
};

}  // namespace kv::app
