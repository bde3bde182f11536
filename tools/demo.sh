#!/usr/bin/env bash
# Builds the launcher and runs it against the bundled demo operator site.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh build
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)"
exec ./build/korvane
