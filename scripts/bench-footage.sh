#!/usr/bin/env bash
# Frames per second of huesieve-render (release build) on 1920 x 1080 frames
# from ffmpeg's test source, one colour entry: a PNG sequence and a raw stream,
# at 8 and 16 bits, one frame at a time and one per processor; against ffmpeg
# passing the same raw frames through untouched, the cost of moving the bytes
# alone. Raw streams are read from a file and written to /dev/null by both.
# Prints a Markdown table.
# Usage: scripts/bench-footage.sh [frames (default 60)]
set -euo pipefail
cd "$(dirname "$0")/.."

frames=${1:-60}
scripts/setup.sh python3
cmake --preset release >/dev/null
cmake --build --preset release --target huesieve-render -j2 >/dev/null

work=build/release/bench-footage
rm -rf "$work"
mkdir -p "$work"
render=build/release/huesieve-render
effect=(--enable --entry 1:DB2924:60:40)
ffmpeg=(ffmpeg -nostdin -v error -y)
source=(-f lavfi -i "testsrc2=size=1920x1080:rate=25" -frames:v "$frames")

"${ffmpeg[@]}" "${source[@]}" -pix_fmt rgba "$work/in8.%04d.png"
"${ffmpeg[@]}" "${source[@]}" -pix_fmt rgba64be "$work/in16.%04d.png"
"${ffmpeg[@]}" "${source[@]}" -pix_fmt rgba -f rawvideo "$work/in8.rgba"
"${ffmpeg[@]}" "${source[@]}" -pix_fmt rgba64le -f rawvideo "$work/in16.rgba64"
processors=$(nproc)

# Frames per second of one run of the command.
fps() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null
  end=$(date +%s%N)
  python3 -c "import sys; print(f'{int(sys.argv[1]) * 1e9 / int(sys.argv[2]):.1f}')" \
    "$frames" $((end - start))
}

passthrough=$(fps "${ffmpeg[@]}" -f rawvideo -pix_fmt rgba -s 1920x1080 -i "$work/in8.rgba" \
  -f rawvideo -pix_fmt rgba -)

echo "$frames frames of 1920 x 1080, one entry; $processors processors"
echo
echo "| run | depth | --jobs | frames/s | x ffmpeg pass-through |"
echo "|---|---:|---:|---:|---:|"
row() {  # label, depth, jobs, frames per second
  python3 -c "import sys; print(f'| {sys.argv[1]} | {sys.argv[2]} | {sys.argv[3]} | {sys.argv[4]} | {float(sys.argv[4]) / float(sys.argv[5]):.2f} |')" \
    "$@" "$passthrough"
}
row "ffmpeg pass-through, raw" 8 "-" "$passthrough"
for depth in 8 16; do
  for jobs in 1 "$processors"; do
    raw=("$work/in8.rgba")
    [[ $depth == 16 ]] && raw=(--raw-depth 16 "$work/in16.rgba64")
    row "huesieve-render, raw stream" "$depth" "$jobs" \
      "$(fps "$render" "${effect[@]}" -q -j "$jobs" --raw 1920x1080 "${raw[@]}" -)"
  done
done
for depth in 8 16; do
  for jobs in 1 "$processors"; do
    row "huesieve-render, PNG sequence" "$depth" "$jobs" \
      "$(fps "$render" "${effect[@]}" -q -j "$jobs" "$work/in$depth.%04d.png" "$work/out.%04d.png")"
  done
done
