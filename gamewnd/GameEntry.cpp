#include <cinttypes>
#include <cstdio>

#include "app/Modes.h"
#include "gamewnd/GameWndDlg.h"

namespace kv::app {

namespace {

constexpr int kNoFrameExitCode = 2;

}  // namespace

// The game window inside `frame` until the frame closes it or disappears.
int RunGameWindow(platform::Gui& gui, std::int64_t frame, const std::string& url) {
  gamewnd::CGameWndDlg dialog(gui, frame, url);
  if (dialog.DoModal() < 0) {
    std::fprintf(stderr,
                 "korvane: -frameWnd=%" PRId64
                 " names no window; the game window needs an existing frame window\n",
                 frame);
    return kNoFrameExitCode;
  }
  return 0;
}

}  // namespace kv::app
