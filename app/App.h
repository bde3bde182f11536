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
  int InitInstance(const std::string& commandLine);

 private:
  platform::Gui& gui_;
};

}  // namespace kv::app
