#pragma once
// The raw command line decides which role the process plays. The text is
// never split into arguments; only its first and last characters and two
// markers are looked at, so a path after "-d " or "-u " may hold blanks.

#include <cstdint>
#include <string>
#include <string_view>

namespace kv::app {

enum class LaunchMode {
  kOrdinary,          // the launcher with its main window
  kUpdateHandOver,    // "-d" + separator + installed path
  kUninstallConfirm,  // ends in "-u"
  kUninstallRemoval,  // "-u" + separator + installed path
  kGameWindow,        // "-frameWnd=<handle> " [... "-gameurl=<url>"], handle not 0
};

struct LaunchRequest {
  LaunchMode mode = LaunchMode::kOrdinary;
  // Hand-over and removal stage: everything after the first three characters.
  std::string path;
  // Game window: the frame window's handle (0 when absent or unreadable) and the
  // page address (may be empty). Filled whenever that row of the grammar is reached.
  std::int64_t frameHandle = 0;
  std::string gameUrl;
};

// Picks the role; the forms are tried in a fixed order and the first match wins.
LaunchRequest SelectLaunchMode(std::string_view commandLine);

// Reads a signed decimal number the way the C library's string-to-long does:
// leading white space, an optional sign, then as many digits as there are.
// No digits gives 0; values beyond the 64-bit range are clamped to it.
std::int64_t ParseLeadingInteger(std::string_view text);

}  // namespace kv::app
