#!/usr/bin/env bash
# Builds the launcher and runs it against the bundled demo operator site
# (tools/demo-site) on 127.0.0.1.
#
# On a desktop (DISPLAY or WAYLAND_DISPLAY set) the launcher opens its login
# window; log in with player1 / korvane123 and play. The site stops when the
# launcher ends.
#
# Without a display the launcher runs on a virtual X server (tools/with-display.sh),
# logs in by itself, writes a screenshot of each stage (login window with its
# pop-up, the revealed login page, the game in the main window) to a folder it
# prints, and then ends.
#
# The launcher installs itself as it always does: into the user's XDG data home
# ($XDG_DATA_HOME, else ~/.local/share: rozovizo_7/kovr, menu entries under
# applications/, a desktop entry on the desktop). Set KORVANE_DEMO_HOME to a
# folder to give the launcher a home of its own there instead.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$(pwd)

if [ "${1:-}" != --run ]; then
  tools/deps.sh build
  cmake -S . -B build -G Ninja >/dev/null
  cmake --build build -j "$(nproc)"
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    exec tools/with-display.sh "$source_dir/tools/demo.sh" --run --auto
  fi
  exec "$source_dir/tools/demo.sh" --run
fi
auto=0
[ "${2:-}" = --auto ] && auto=1

work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-demo.XXXXXX")
site_pid=
launcher_pid=
stop() {
  [ -n "$launcher_pid" ] && kill "$launcher_pid" 2>/dev/null || true
  [ -n "$site_pid" ] && kill "$site_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap stop EXIT

if [ -n "${KORVANE_DEMO_HOME:-}" ]; then
  mkdir -p "$KORVANE_DEMO_HOME"/{data,config,cache,desktop}
  export HOME="$KORVANE_DEMO_HOME" XDG_DATA_HOME="$KORVANE_DEMO_HOME/data"
  export XDG_CONFIG_HOME="$KORVANE_DEMO_HOME/config" XDG_CACHE_HOME="$KORVANE_DEMO_HOME/cache"
fi
# The launcher draws through X11; on a Wayland desktop that is XWayland.
[ -z "${DISPLAY:-}" ] || export GDK_BACKEND=x11
[ -n "${DISPLAY:-}" ] || export GDK_BACKEND=x11 DISPLAY=:0

# The demo site on a free loopback port; the launcher is pointed at it.
python3 tools/demo-site/server.py --port 0 --port-file "$work/port" 2>"$work/site.log" >/dev/null &
site_pid=$!
for _ in $(seq 200); do
  [ -s "$work/port" ] && break
  kill -0 "$site_pid" 2>/dev/null || { cat "$work/site.log" >&2; exit 1; }
  sleep 0.05
done
base="http://127.0.0.1:$(cat "$work/port")"
export KORVANE_LOGIN_URL="$base/login/lorvik/gy" KORVANE_UPDATE_URL="$base"
echo "demo site: $base (log in as player1 / korvane123)"

if [ "$auto" = 0 ]; then
  ./build/korvane 1 &
  launcher_pid=$!
  wait "$launcher_pid" || true
  launcher_pid=
  exit 0
fi

shots="$source_dir/build/demo-screenshots/$(date +%Y%m%d-%H%M%S)"
mkdir -p "$shots"
./build/korvane 1 >"$work/launcher.log" 2>&1 &
launcher_pid=$!

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local seconds=$1
  shift
  for _ in $(seq $((seconds * 10))); do
    "$@" >/dev/null 2>&1 && return 0
    kill -0 "$launcher_pid" 2>/dev/null || { echo "the launcher ended early" >&2; exit 1; }
    sleep 0.1
  done
  echo "timed out waiting for: $*" >&2
  cat "$work/launcher.log" >&2
  exit 1
}
# The top-left corner on screen of a mapped window of the given size, as "x y".
window_at() {
  xwininfo -root -tree | grep -E " $1\+-?[0-9]+\+-?[0-9]+ " | head -n1 | awk '{print $NF}' |
    sed -E 's/^\+(-?[0-9]+)\+(-?[0-9]+)$/\1 \2/'
}
has_window() { [ -n "$(window_at "$1")" ]; }
site_saw() { grep -q "$1" "$work/site.log"; }

wait_for 30 has_window 1251x733
wait_for 10 has_window 714x488
sleep 0.5
import -window root "$shots/1-login-window.png"

# The page is revealed once the version check has been answered.
wait_for 30 site_saw "version .* asked"
sleep 1.5
read -r popup_x popup_y <<<"$(window_at 714x488)"
xdotool mousemove $((popup_x + 300)) $((popup_y + 20)) click 1
xdotool key Tab
xdotool type --delay 40 player1
xdotool key Tab
xdotool type --delay 40 korvane123
sleep 0.3
import -window root "$shots/2-login-page.png"
xdotool key Return

wait_for 30 site_saw "GET /game/play"
sleep 3
import -window root "$shots/3-game.png"
echo "screenshots: $shots"
