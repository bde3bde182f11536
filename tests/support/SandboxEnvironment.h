#pragma once
// A private home for the whole unit-test process.
//
// Before the first test runs, a fresh folder is made under the system's
// temporary folder and these variables point into it:
//   HOME             <sandbox>/home
//   XDG_DATA_HOME    <sandbox>/data     (program folder, cache folder, menu)
//   XDG_CONFIG_HOME  <sandbox>/config
//   XDG_CACHE_HOME   <sandbox>/cache
//   XDG_CONFIG_DIRS  <sandbox>/etc-xdg  (machine-wide configuration)
// so no test ever reads or writes the real user's files. The folders exist
// (empty) at the start; the sandbox is removed after the last test.
//
// It is one folder per process and set up once: values that the launcher
// keeps for the process, such as the program folder, are computed inside the
// sandbox whichever test runs first. Tests that need a clean state make their
// own sub-folder with MakeScratchFolder rather than emptying shared ones.
//
// Any test can rely on it: it is registered as a global GoogleTest
// environment by tests/support/SandboxEnvironment.cpp, which is linked into
// the unit-test binary.

#include <filesystem>
#include <string_view>

namespace kv::test {

// The sandbox root (the parent of the folders above).
std::filesystem::path SandboxRoot();

// $XDG_DATA_HOME inside the sandbox.
std::filesystem::path SandboxDataHome();

// A new, empty folder <sandbox>/scratch/<name>-<n> (n counts up per process).
std::filesystem::path MakeScratchFolder(std::string_view name);

}  // namespace kv::test
