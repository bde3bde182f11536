#!/usr/bin/env bash
# Times the extraction of one large deflated member with the launcher's ZIP
# reader and with Info-ZIP unzip, and reports each one's peak memory.
#
#   tests/bench/zip_bench.sh [member size in MB, default 100] [runs, default 3]
set -euo pipefail
cd "$(dirname "$0")/../.."
size_mb="${1:-100}"
runs="${2:-3}"
work="build-bench/zip-bench"

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVANE_GUI=OFF \
  -DKORVANE_BENCH=ON >/dev/null
cmake --build build-bench -j2 --target zip_bench >/dev/null
mkdir -p "$work"
archive="$work/member-${size_mb}mb.zip"

if [ ! -f "$archive" ]; then
  # Random words and random hex digits: deflates to under a third of its size.
  python3 - "$archive.part" "$size_mb" <<'PY'
import random, sys, zipfile
path, size = sys.argv[1], int(sys.argv[2]) * 1000 * 1000
rng = random.Random(20240601)
words = [w.encode() for w in
         "korvane launcher member inflate window setting server login page game cache "
         "update archive folder target reader buffer stream".split()]
with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=6) as archive:
    with archive.open("data/member.bin", "w", force_zip64=False) as out:
        written = 0
        while written < size:
            chunk = b" ".join(rng.choices(words, k=4000)) + b"\n" + \
                    rng.randbytes(6000).hex().encode() + b"\n"
            chunk = chunk[:size - written]
            out.write(chunk)
            written += len(chunk)
PY
  mv "$archive.part" "$archive"
fi
ls -l "$archive"

timer=()
if [ -x /usr/bin/time ]; then
  timer=(/usr/bin/time -f "    wall %e s, user %U s, sys %S s, peak RSS %M KB")
fi

run_reader() {
  rm -rf "$work/out-reader"
  "${timer[@]}" build-bench/tests/zip_bench "$archive" "$work/out-reader"
}
run_unzip() {
  rm -rf "$work/out-unzip"
  "${timer[@]}" unzip -qq -o "$archive" -d "$work/out-unzip"
}

# One untimed round warms the page cache for both.
run_reader >/dev/null 2>&1
run_unzip >/dev/null 2>&1
for run in $(seq "$runs"); do
  echo "run $run: reader"
  run_reader
  echo "run $run: unzip"
  run_unzip
done
cmp "$work/out-reader/data/member.bin" "$work/out-unzip/data/member.bin"
echo "outputs identical"
rm -rf "$work/out-reader" "$work/out-unzip"
