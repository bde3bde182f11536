#pragma once
// The login that runs before the main window first shows: it yields the
// address of the game page, or "" when it settled on none.

#include <string>

namespace kv::mainwnd {

class LoginStep {
 public:
  virtual ~LoginStep() = default;
  // Runs modally; the main window is not visible meanwhile.
  virtual std::string Run() = 0;
};

// Used while the launcher has no login windows: no address, so the main
// window opens on an empty page.
class NoLoginStep final : public LoginStep {
 public:
  std::string Run() override { return {}; }
};

}  // namespace kv::mainwnd
