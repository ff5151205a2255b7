#!/usr/bin/env bash
# Peak resident memory of huesieve-render (release build), as a multiple of
# the frame the effect works on (3840 x 2160: 31.6 MiB at 8 bits, 63.3 MiB at
# 16, 126.6 MiB in float for an OpenEXR file), beyond the process's baseline
# (the same run on a 2 x 2 frame, most of it the image libraries);
# and the time and peak of a 69-byte PNG whose header claims 16384 x 16384
# 16-bit pixels. Prints a Markdown table.
# Usage: scripts/bench-memory.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh time python3
scripts/build-third-party.sh
cmake --preset release >/dev/null
cmake --build --preset release --target huesieve-render -j2 >/dev/null

work=build/release/bench-memory
rm -rf "$work"
mkdir -p "$work"
render=build/release/huesieve-render
effect=(--enable --entry 1:DB2924:110:60 --entry 2:29B33D:100:50)
ffmpeg=(ffmpeg -nostdin -v error -y)

"${ffmpeg[@]}" -f lavfi -i testsrc2=size=3840x2160 -frames:v 1 -pix_fmt rgba "$work/4k-8.png"
"${ffmpeg[@]}" -f lavfi -i testsrc2=size=3840x2160 -frames:v 1 -pix_fmt rgba64be "$work/4k-16.png"
"${ffmpeg[@]}" -f lavfi -i testsrc2=size=3840x2160 -frames:v 4 -pix_fmt rgba "$work/seq.%d.png"
"${ffmpeg[@]}" -f lavfi -i testsrc2=size=3840x2160 -frames:v 4 -pix_fmt rgba -f rawvideo \
  "$work/4k-8.rgba"
"${ffmpeg[@]}" -f lavfi -i testsrc2=size=3840x2160 -frames:v 4 -pix_fmt rgba64le -f rawvideo \
  "$work/4k-16.rgba64"
"${ffmpeg[@]}" -f lavfi -i testsrc2=size=32x32 -frames:v 1 -vf crop=2:2 -pix_fmt rgba "$work/tiny-8.png"
"${ffmpeg[@]}" -f lavfi -i testsrc2=size=32x32 -frames:v 1 -vf crop=2:2 -pix_fmt rgba64be \
  "$work/tiny-16.png"
# OpenEXR half plates, written by the tool itself with the effect off.
"$render" --output-type half "$work/4k-16.png" "$work/4k.exr"
"$render" --output-type half "$work/tiny-16.png" "$work/tiny.exr"
python3 - "$work/hostile.png" <<'PYTHON'
import struct, sys, zlib
def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
header = struct.pack('>IIBBBBB', 16384, 16384, 16, 6, 0, 0, 0)
png = (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
       chunk(b'IDAT', zlib.compress(b'\0' * 64, 9)) + chunk(b'IEND', b''))
assert len(png) == 69
open(sys.argv[1], 'wb').write(png)
PYTHON

# Peak resident KiB and elapsed seconds of one run; the run may fail.
measure() {
  /usr/bin/time -f '%M %e' -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || true
  cat "$work/time" | tail -n 1
}

frame8=$((3840 * 2160 * 4))
frame16=$((3840 * 2160 * 8))
frame_float=$((3840 * 2160 * 16))
read -r base8 _ < <(measure "$render" "${effect[@]}" "$work/tiny-8.png" "$work/out.png")
read -r base16 _ < <(measure "$render" "${effect[@]}" "$work/tiny-16.png" "$work/out.png")
read -r base_exr _ < <(measure "$render" "${effect[@]}" "$work/tiny.exr" "$work/out.exr")

echo "| run | peak RSS | beyond the baseline | x frame |"
echo "|---|---:|---:|---:|"
row() {  # label, baseline KiB, frame bytes, command...
  local label=$1 base=$2 frame=$3
  shift 3
  local peak seconds
  read -r peak seconds < <(measure "$@")
  python3 -c "import sys; l, p, b, f = sys.argv[1], *map(int, sys.argv[2:]);
print(f'| {l} | {p / 1024:.1f} MiB | {(p - b) / 1024:.1f} MiB | {(p - b) * 1024 / f:.2f} |')" \
    "$label" "$peak" "$base" "$frame"
}
row "4K PNG, 8-bit" "$base8" "$frame8" "$render" "${effect[@]}" "$work/4k-8.png" "$work/out.png"
row "4K PNG, 16-bit" "$base16" "$frame16" "$render" "${effect[@]}" "$work/4k-16.png" "$work/out.png"
row "4K OpenEXR, half" "$base_exr" "$frame_float" "$render" "${effect[@]}" "$work/4k.exr" "$work/out.exr"
for jobs in 1 2; do
  row "4K PNG sequence of 4, 8-bit, --jobs $jobs" "$base8" "$frame8" \
    "$render" "${effect[@]}" -q -j "$jobs" "$work/seq.%d.png" "$work/out.%d.png"
  row "4K raw stream of 4, 8-bit, --jobs $jobs" "$base8" "$frame8" \
    "$render" "${effect[@]}" -q -j "$jobs" --raw 3840x2160 "$work/4k-8.rgba" -
  row "4K raw stream of 4, 16-bit, --jobs $jobs" "$base16" "$frame16" \
    "$render" "${effect[@]}" -q -j "$jobs" --raw 3840x2160 --raw-depth 16 "$work/4k-16.rgba64" -
done

start=$(date +%s%N)
read -r peak _ < <(measure "$render" "${effect[@]}" "$work/hostile.png" "$work/out.png")
milliseconds=$((($(date +%s%N) - start) / 1000000))
echo
echo "Baseline (the same run on a 2 x 2 frame): $((base8 / 1024)) MiB at 8 bits, $((base16 / 1024)) MiB at 16."
echo "Hostile header (69 bytes, claims 16384 x 16384 16-bit pixels, 2 GiB):"
echo "  $(cat "$work/stderr")"
echo "  ${milliseconds} ms, peak RSS $((peak / 1024)) MiB ($((peak - base16)) KiB beyond the baseline)"
