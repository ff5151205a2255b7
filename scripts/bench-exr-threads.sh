#!/usr/bin/env bash
# Seconds for huesieve-render (release build) to key one 3840 x 2160 OpenEXR
# image, half RGBA, zip, with ten colour entries, file reading and writing
# included, on one thread against two (--threads), the two run in turn, and
# the medians and the median of the paired ratios compared. The render alone,
# without the files: scripts/bench-threads.sh (ToolRenderFloat).
# Usage: scripts/bench-exr-threads.sh [runs (default 9)] [threads (default 2)]
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-9}
threads=${2:-2}
scripts/setup.sh python3 openimageio-tools
scripts/build-third-party.sh
cmake --preset release >/dev/null
cmake --build --preset release --target huesieve-render -j2 >/dev/null

work=build/release/bench-exr-threads
rm -rf "$work"
mkdir -p "$work"
render=build/release/huesieve-render
ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=3840x2160:rate=25" -frames:v 1 \
  -pix_fmt rgba64be "$work/source.png"
oiiotool "$work/source.png" -d half --compression zip -o "$work/plate.exr"

key=(--enable
  --entry 1:DB2924:60:40 --entry 2:29B33D:60:40 --entry 3:2940B3:60:40 --entry 4:F2D126:60:40
  --entry 5:E6731A:40:20 --entry 6:8E2AB8:40:20 --entry 7:20C0C0:40:20 --entry 8:FFFFFF:30:50
  --entry 9:101010:30:50 --entry 10:808080:20:0)

nanoseconds() {
  local start end
  start=$(date +%s%N)
  "$render" "${key[@]}" --threads "$1" "$work/plate.exr" "$work/key.$1.exr" >/dev/null 2>&1
  end=$(date +%s%N)
  echo $((end - start))
}

ones=()
manys=()
for ((run = 0; run <= runs; ++run)); do
  one_ns=$(nanoseconds 1)
  many_ns=$(nanoseconds "$threads")
  # The first pair warms the page cache and is not counted.
  ((run == 0)) && continue
  ones+=("$one_ns")
  manys+=("$many_ns")
done
cmp -s <(oiiotool "$work/key.1.exr" --dumpdata 2>/dev/null) \
  <(oiiotool "$work/key.$threads.exr" --dumpdata 2>/dev/null) || {
  echo "bench-exr-threads.sh: --threads $threads wrote other pixels than --threads 1" >&2
  exit 1
}
grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //'
grep -qw avx512f /proc/cpuinfo && echo "AVX-512: yes" || echo "AVX-512: no"
python3 - "$threads" "${ones[*]}" "${manys[*]}" <<'PY'
import statistics, sys
threads = sys.argv[1]
ones = [int(v) / 1e9 for v in sys.argv[2].split()]
manys = [int(v) / 1e9 for v in sys.argv[3].split()]
ratios = [m / o for m, o in zip(manys, ones)]
print(f"one 3840 x 2160 half RGBA OpenEXR, zip, 10 entries, files included, {len(ones)} runs each, in turn")
print()
print("| run | median s | x --threads 1 (median of pairs) |")
print("|---|---:|---:|")
print(f"| --threads 1 | {statistics.median(ones):.3f} | 1.00 |")
print(f"| --threads {threads} | {statistics.median(manys):.3f} | {statistics.median(ratios):.2f} |")
PY
