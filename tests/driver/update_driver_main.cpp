// A stand-in for the installed launcher in the update tests: runs one update
// attempt exactly as the login page's first load does. An attempt that hands
// over never comes back (the process ends with 0); one that returns ends the
// process with kNoHandOver.

#include "update/UpdateDriver.h"

namespace {
constexpr int kNoHandOver = 3;
}

int main() {
  kv::update::RunUpdateCheck();
  return kNoHandOver;
}
