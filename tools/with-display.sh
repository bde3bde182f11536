#!/usr/bin/env bash
# Runs a command on an X server of its own (Xvfb) with a window manager and a
# compositing manager, then stops them. Usage: tools/with-display.sh cmd args...
set -euo pipefail

screen="${KORVANE_SCREEN:-1600x1000x24}"
fd_file=$(mktemp)
exec 3>"$fd_file"
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() {
  kill "${wm_pid:-}" "${comp_pid:-}" 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -f "$fd_file"
}
trap cleanup EXIT

for _ in $(seq 100); do
  [ -s "$fd_file" ] && break
  sleep 0.05
done
export DISPLAY=":$(head -n1 "$fd_file")"
export NO_AT_BRIDGE=1
export GDK_BACKEND=x11

openbox >/dev/null 2>&1 &
wm_pid=$!
if [ "${KORVANE_NO_COMPOSITOR:-0}" != 1 ]; then
  xcompmgr >/dev/null 2>&1 &
  comp_pid=$!
fi
# Wait until the window manager has claimed the screen.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.05
done

set +e
dbus-run-session -- "$@"
status=$?
exit $status
