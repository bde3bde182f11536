#!/usr/bin/env bash
# GetFileMd5 against coreutils md5sum on the same file: wall time and peak
# resident memory, best of several runs with the file in the page cache.
# Usage: tests/bench/md5_bench.sh [size in MiB, default 1024] [runs, default 5]
# Env: BENCH_BUILD_DIR (default build-bench), BENCH_DIR for the test file
# (default: the system's temporary folder).
set -euo pipefail
cd "$(dirname "$0")/../.."

size_mib="${1:-1024}"
runs="${2:-5}"
build="${BENCH_BUILD_DIR:-build-bench}"

if [ ! -x /usr/bin/time ]; then
  echo "md5_bench: needs GNU time (/usr/bin/time): apt-get install time" >&2
  exit 1
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVANE_GUI=OFF \
  -DKORVANE_BENCH=ON >/dev/null
cmake --build "$build" --target md5_bench -j 2 >/dev/null
bench="$build/tests/md5_bench"

work=$(mktemp -d "${BENCH_DIR:-${TMPDIR:-/tmp}}/md5-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
file="$work/data.bin"
head -c "$((size_mib * 1024 * 1024))" /dev/urandom >"$file"
cat "$file" >/dev/null  # into the page cache, so both tools read from memory

# Prints "<seconds> <peak RSS in KiB>" of one run; checks the digest.
measure() {
  local out
  out=$(/usr/bin/time -f "TIME %e %M" "$@" 2>&1 >"$work/digest")
  [ "$(cut -c1-32 "$work/digest" | head -n1)" = "$expected" ] || {
    echo "md5_bench: wrong digest from $1" >&2
    exit 1
  }
  echo "$out" | awk '/^TIME/ {print $2, $3}'
}

expected=$(md5sum "$file" | cut -c1-32)
best_sum="" best_ours="" rss_sum=0 rss_ours=0
for _ in $(seq "$runs"); do
  read -r t m < <(measure md5sum "$file")
  if [ -z "$best_sum" ] || awk "BEGIN{exit !($t < $best_sum)}"; then best_sum=$t; fi
  [ "$m" -gt "$rss_sum" ] && rss_sum=$m
  read -r t m < <(measure "$bench" "$file")
  if [ -z "$best_ours" ] || awk "BEGIN{exit !($t < $best_ours)}"; then best_ours=$t; fi
  [ "$m" -gt "$rss_ours" ] && rss_ours=$m
done

ratio=$(awk "BEGIN{printf \"%.2f\", $best_ours / $best_sum}")
printf '%-14s %10s %14s\n' tool "best [s]" "peak RSS [MiB]"
printf '%-14s %10s %14.1f\n' md5sum "$best_sum" "$(awk "BEGIN{print $rss_sum/1024}")"
printf '%-14s %10s %14.1f\n' GetFileMd5 "$best_ours" "$(awk "BEGIN{print $rss_ours/1024}")"
echo "file: ${size_mib} MiB, best of ${runs} runs; time ratio GetFileMd5/md5sum = ${ratio}"
