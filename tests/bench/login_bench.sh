#!/usr/bin/env bash
# Login page start benchmark: the launcher beside chromium --app and surf on the
# demo site's login page (see login_bench.py). Builds the launcher first; runs on
# a virtual X server of its own when there is no display.
# Usage: tests/bench/login_bench.sh [--runs N] [--settle SECONDS]
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target korvane >/dev/null
if [ -z "${DISPLAY:-}" ]; then
  exec tools/with-display.sh python3 -u tests/bench/login_bench.py "$@"
fi
exec python3 -u tests/bench/login_bench.py "$@"
