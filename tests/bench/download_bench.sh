#!/usr/bin/env bash
# Download benchmark: the launcher's update download against `curl -o` for the
# same file from the same loopback server, plus the peak memory of the
# download for a small and a large file (it must not grow with the file).
# Usage: tests/bench/download_bench.sh [size in MB, default 200] [runs, default 5]
set -euo pipefail
cd "$(dirname "$0")/../.."
size_mb="${1:-200}"
runs="${2:-5}"
small_mb=20
limit_ratio=1.3

build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVANE_BENCH=ON -DKORVANE_GUI=OFF \
  -DKORVANE_WERROR=ON >/dev/null
cmake --build "$build" -j 2 --target download_bench >/dev/null
bench="$build/tests/download_bench"

work=$(mktemp -d)
server_pid=
# The server ends by SIGTERM, so its status is not the script's: without the
# "|| true" the failing wait would stop the clean-up (set -e) before the
# files go, and make the script's exit status 143.
cleanup() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

head -c "$((size_mb * 1024 * 1024))" /dev/urandom >"$work/large.bin"
head -c "$((small_mb * 1024 * 1024))" /dev/urandom >"$work/small.bin"
cat >"$work/script.json" <<JSON
{"routes": {"/large": {"file": "$work/large.bin"}, "/small": {"file": "$work/small.bin"}}}
JSON
python3 -u tests/support/scripted_http_server.py --script "$work/script.json" >"$work/port" &
server_pid=$!
for _ in $(seq 100); do
  grep -q PORT "$work/port" 2>/dev/null && break
  sleep 0.05
done
base="http://127.0.0.1:$(awk '{print $2}' "$work/port")"

now() { date +%s.%N; }
# Decimal arithmetic with awk, so that no calculator package is needed.
minus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.6f\n", a - b }'; }
divided() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.6f\n", a / b }'; }
greater() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
# Runs the launcher's download of /$1 once; prints its "transfer=… total=… maxrss_kb=…" line.
launcher_download() {
  rm -rf "$work/home"
  "$bench" "$work/home" "$base/$1" "$(stat -c %s "$work/$1.bin")"
}

curl -s -o "$work/curl.bin" "$base/large"  # warm the page cache
launcher_download large >/dev/null

curl_times=()
total_times=()
transfer_times=()
large_rss=0
for _ in $(seq "$runs"); do
  rm -f "$work/curl.bin"
  start=$(now)
  curl -s -o "$work/curl.bin" "$base/large"
  curl_times+=("$(minus "$(now)" "$start")")

  line=$(launcher_download large)
  transfer_times+=("$(sed -E 's/.*transfer=([0-9.]+).*/\1/' <<<"$line")")
  total_times+=("$(sed -E 's/.*total=([0-9.]+).*/\1/' <<<"$line")")
  large_rss=$(sed -E 's/.*maxrss_kb=([0-9]+).*/\1/' <<<"$line")
done
cmp -s "$work/large.bin" "$work/home/cache/q7kovrtmp.exe" || { echo "downloaded file differs"; exit 1; }
small_rss=$(launcher_download small | sed -E 's/.*maxrss_kb=([0-9]+).*/\1/')

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
curl_median=$(median "${curl_times[@]}")
transfer_median=$(median "${transfer_times[@]}")
total_median=$(median "${total_times[@]}")
ratio=$(divided "$transfer_median" "$curl_median")

printf 'file: %d MB over loopback, median of %d runs\n' "$size_mb" "$runs"
printf '  curl -o, its process start included %.3f s\n' "$curl_median"
printf '  launcher transfer to the file       %.3f s  (%.2fx curl)\n' "$transfer_median" "$ratio"
printf '  launcher whole call to hand-over    %.3f s  (transfer, size check, MD5 digest)\n' \
  "$total_median"
printf '  peak memory: %d MB file %d KB, %d MB file %d KB\n' \
  "$small_mb" "$small_rss" "$size_mb" "$large_rss"

status=0
if greater "$ratio" "$limit_ratio"; then
  echo "FAIL: transfer takes more than ${limit_ratio}x curl"
  status=1
fi
if ((large_rss - small_rss > 4096)); then
  echo "FAIL: peak memory grows with the file"
  status=1
fi
exit $status
