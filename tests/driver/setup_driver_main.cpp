// Test driver of the per-user installation: runs the first-start setup once,
// as the login dialog does at every ordinary launch, and ends. It is built
// under the launcher's own file name so that it installs itself as the
// launcher would; it is never part of the shipped program.

#include "install/Setup.h"

int main() {
  kv::install::RunFirstStartSetup();
  return 0;
}
