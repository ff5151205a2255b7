#!/usr/bin/env bash
# Seconds for huesieve-render (release build) to key an OpenEXR plate
# sequence, 1920 x 1080 half RGBA, with ten colour entries, against oiiotool
# (Debian's openimageio-tools) copying the same sequence with the same
# compression: reading and writing the files is most of the work either way.
# The two are run in turn, several times, and the medians are compared.
# Usage: scripts/bench-exr.sh [frames (default 24)] [runs (default 5)] [compression (default zip)]
set -euo pipefail
cd "$(dirname "$0")/.."

frames=${1:-24}
runs=${2:-5}
compression=${3:-zip}
scripts/setup.sh python3 openimageio-tools
scripts/build-third-party.sh
cmake --preset release >/dev/null
cmake --build --preset release --target huesieve-render -j2 >/dev/null

work=build/release/bench-exr
rm -rf "$work"
mkdir -p "$work"
render=build/release/huesieve-render
ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=1920x1080:rate=25" -frames:v "$frames" \
  -pix_fmt rgba64be "$work/source.%04d.png"
oiiotool --frames "1-$frames" "$work/source.%04d.png" -d half --compression "$compression" \
  -o "$work/plate.%04d.exr" 2>/dev/null || {
  # oiiotool numbers frames from 1; ffmpeg's from 1 too, so this only fails loudly.
  echo "bench-exr.sh: could not make the plate sequence" >&2
  exit 1
}

key=(--enable
  --entry 1:DB2924:60:40 --entry 2:29B33D:60:40 --entry 3:2940B3:60:40 --entry 4:F2D126:60:40
  --entry 5:E6731A:40:20 --entry 6:8E2AB8:40:20 --entry 7:20C0C0:40:20 --entry 8:FFFFFF:30:50
  --entry 9:101010:30:50 --entry 10:808080:20:0)
copy=(oiiotool --frames "1-$frames" "$work/plate.%04d.exr" -o "$work/copy.%04d.exr")
keyed=("$render" "${key[@]}" -q "$work/plate.%04d.exr" "$work/key.%04d.exr")

seconds() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo $((end - start))
}

copies=()
keys=()
for ((run = 0; run <= runs; ++run)); do
  copy_ns=$(seconds "${copy[@]}")
  key_ns=$(seconds "${keyed[@]}")
  # The first pair warms the page cache and is not counted.
  ((run == 0)) && continue
  copies+=("$copy_ns")
  keys+=("$key_ns")
done
python3 - "$frames" "$compression" "${copies[*]}" "${keys[*]}" <<'PY'
import statistics, sys
frames, compression = int(sys.argv[1]), sys.argv[2]
copies = [int(v) / 1e9 for v in sys.argv[3].split()]
keys = [int(v) / 1e9 for v in sys.argv[4].split()]
ratios = [k / c for k, c in zip(keys, copies)]
print(f"{frames} frames of 1920 x 1080 half RGBA, {compression} compression, {len(keys)} runs each, in turn")
print()
print("| run | median s | frames/s | x oiiotool copy (median of pairs) |")
print("|---|---:|---:|---:|")
c, k = statistics.median(copies), statistics.median(keys)
print(f"| oiiotool copy | {c:.2f} | {frames / c:.1f} | 1.00 |")
print(f"| huesieve-render, 10 entries | {k:.2f} | {frames / k:.1f} | {statistics.median(ratios):.2f} |")
PY
