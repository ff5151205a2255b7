#!/usr/bin/env bash
# Frames per second of huesieve-render (release build) on 1920 x 1080 frames
# from ffmpeg's test source, one colour entry: a raw stream at 8 and 16 bits
# and a PNG sequence, one frame at a time and one per processor; against
# ffmpeg's own colour key (colorkey) and ffmpeg passing the same raw frames
# through untouched (the cost of moving the bytes alone). A raw stream is the
# clip looped --loops times through a pipe, so a run measures the steady rate
# rather than the start of the process (loading the image libraries takes
# about 0.2 s); every raw run is written to /dev/null. Prints a Markdown table.
# Usage: scripts/bench-footage.sh [frames (default 60)] [loops (default 10)]
set -euo pipefail
cd "$(dirname "$0")/.."

frames=${1:-60}
loops=${2:-10}
scripts/setup.sh python3
scripts/build-third-party.sh
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

# The clip, looped, on standard output.
looped() { for ((i = 0; i < loops; ++i)); do cat "$1"; done; }
export -f looped
export loops

# Frames per second of one run of a shell command over `count` frames.
fps() {
  local count=$1 start end
  shift
  start=$(date +%s%N)
  bash -c "$*" >/dev/null
  end=$(date +%s%N)
  python3 -c "import sys; print(f'{int(sys.argv[1]) * 1e9 / int(sys.argv[2]):.1f}')" \
    "$count" $((end - start))
}

streamed=$((frames * loops))
raw_in="looped $work/in8.rgba | ffmpeg -nostdin -v error -f rawvideo -pix_fmt rgba -s 1920x1080 -i -"
colorkey=$(fps "$streamed" "$raw_in -vf colorkey=0xDB2924:0.3:0.2 -f rawvideo -pix_fmt rgba -")
passthrough=$(fps "$streamed" "$raw_in -f rawvideo -pix_fmt rgba -")

echo "1920 x 1080, one entry; raw streams $streamed frames ($frames looped $loops times)," \
  "PNG sequences $frames frames; $processors processors"
echo
echo "| run | depth | --jobs | frames/s | x ffmpeg colorkey |"
echo "|---|---:|---:|---:|---:|"
row() {  # label, depth, jobs, frames per second
  python3 -c "import sys; print(f'| {sys.argv[1]} | {sys.argv[2]} | {sys.argv[3]} | {sys.argv[4]} | {float(sys.argv[4]) / float(sys.argv[5]):.2f} |')" \
    "$@" "$colorkey"
}
row "ffmpeg colorkey, raw" 8 "-" "$colorkey"
row "ffmpeg pass-through, raw" 8 "-" "$passthrough"
for depth in 8 16; do
  for jobs in 1 "$processors"; do
    raw="looped $work/in8.rgba | $render ${effect[*]} -q -j $jobs --raw 1920x1080 - -"
    [[ $depth == 16 ]] &&
      raw="looped $work/in16.rgba64 | $render ${effect[*]} -q -j $jobs --raw 1920x1080 --raw-depth 16 - -"
    row "huesieve-render, raw stream" "$depth" "$jobs" "$(fps "$streamed" "$raw")"
  done
done
for depth in 8 16; do
  for jobs in 1 "$processors"; do
    row "huesieve-render, PNG sequence" "$depth" "$jobs" \
      "$(fps "$frames" "$render ${effect[*]} -q -j $jobs $work/in$depth.%04d.png $work/out.%04d.png")"
  done
done
