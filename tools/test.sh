#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: unit and end-to-end
# tests, the unit tests again under AddressSanitizer + UBSan, and a short run
# of each fuzz target. Needs no display: end-to-end tests start their own.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh test

jobs=$(nproc)
fuzz_seconds="${KORVANE_FUZZ_SECONDS:-30}"

echo "== build and test (gcc)"
cmake -S . -B build -G Ninja -DKORVANE_WERROR=ON -DKORVANE_TESTS=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DKORVANE_WERROR=ON -DKORVANE_GUI=OFF -DKORVANE_SANITIZE=ON \
  -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

if ! ls tests/fuzz/*_fuzz.cpp >/dev/null 2>&1; then exit 0; fi
echo "== fuzz targets (${fuzz_seconds}s each)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKORVANE_GUI=OFF -DKORVANE_TESTS=OFF \
  -DKORVANE_FUZZ=ON -DKORVANE_SANITIZE=ON -DKORVANE_FUZZ_SECONDS="$fuzz_seconds" >/dev/null
cmake --build build-fuzz -j "$jobs"
ctest --test-dir build-fuzz --output-on-failure
