#!/usr/bin/env bash
# Renders the bundled sample with huesieve-render, into build/demo/, and the
# same keys through the OpenFX plug-in. Run by scripts/demo.sh after the
# release build.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/release
demo=build/demo
render=$build/huesieve-render
make_sample=$build/tools/make-sample/make-sample
sample=samples/huesieve-sample.png
mkdir -p "$demo"

# Keep the reds and the greens: everything else becomes transparent, and the
# outer half of each Range fades out.
"$render" --enable --entry 1:DB2924:110:60 --entry 2:29B33D:100:50 \
  "$sample" "$demo/reds-and-greens.png"

# Keep the reds and the yellows, but not the orange: a disabled entry placed
# first claims the orange and clears it before the others can keep it.
"$render" --enable --entry 1:E6731A:50:0:off --entry 2:DB2924:128:50 --entry 3:F2D126:128:50 \
  "$sample" "$demo/warm-without-orange.png"

# The same frame at 16 bits per channel renders at 16 bits.
"$make_sample" --depth 16 "$demo/sample-16bit.png"
"$render" --enable --entry 1:DB2924:110:60 --entry 2:29B33D:100:50 \
  "$demo/sample-16bit.png" "$demo/reds-and-greens-16bit.png"

# The same keys through the OpenFX plug-in, loaded from its bundle as an
# OpenFX host loads it: the files must be the tool's, byte for byte.
ofx_render=$build/testing/tools/ofx-render/huesieve-ofx-render
"$ofx_render" $build/Huesieve.ofx.bundle --enable --entry 1:DB2924:110:60 --entry 2:29B33D:100:50 \
  "$sample" "$demo/reds-and-greens-ofx.png"
"$ofx_render" $build/Huesieve.ofx.bundle --enable \
  --entry 1:E6731A:50:0:off --entry 2:DB2924:128:50 --entry 3:F2D126:128:50 \
  "$sample" "$demo/warm-without-orange-ofx.png"
"$ofx_render" $build/Huesieve.ofx.bundle --enable --entry 1:DB2924:110:60 --entry 2:29B33D:100:50 \
  "$demo/sample-16bit.png" "$demo/reds-and-greens-16bit-ofx.png"
for name in reds-and-greens warm-without-orange reds-and-greens-16bit; do
  if ! cmp -s "$demo/$name.png" "$demo/$name-ofx.png"; then
    echo "render-demo.sh: the OpenFX plug-in's $name differs from huesieve-render's" >&2
    exit 1
  fi
done

# Transparent areas made visible: the results over a grey checkerboard.
for name in reds-and-greens warm-without-orange reds-and-greens-16bit reds-and-greens-ofx; do
  "$make_sample" --checkerboard "$demo/$name.png" "$demo/$name-preview.png"
done
# The tool's result and the plug-in's side by side, for the README.
ffmpeg -loglevel error -y -i "$demo/reds-and-greens-preview.png" \
  -i "$demo/reds-and-greens-ofx-preview.png" \
  -filter_complex "[0]pad=iw+16:ih:0:0:white[left];[left][1]hstack" \
  "$demo/module-and-ofx-preview.png"

echo "Rendered $sample with huesieve-render into $demo/:"
echo "  (and through the OpenFX plug-in: the same files, byte for byte)"
for name in reds-and-greens warm-without-orange reds-and-greens-16bit; do
  echo "  $demo/$name.png (RGBA; preview over a checkerboard: $demo/$name-preview.png)"
done
