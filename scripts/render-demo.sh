#!/usr/bin/env bash
# Renders the bundled sample through the built module with huesieve-render,
# into build/demo/. Run by scripts/demo.sh after the release build.
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

# The same frame at 16 bits per channel goes through the module's 16-bit path.
"$make_sample" --depth 16 "$demo/sample-16bit.png"
"$render" --enable --entry 1:DB2924:110:60 --entry 2:29B33D:100:50 \
  "$demo/sample-16bit.png" "$demo/reds-and-greens-16bit.png"

# Transparent areas made visible: the results over a grey checkerboard.
for name in reds-and-greens warm-without-orange reds-and-greens-16bit; do
  "$make_sample" --checkerboard "$demo/$name.png" "$demo/$name-preview.png"
done

echo "Rendered $sample with huesieve-render into $demo/:"
for name in reds-and-greens warm-without-orange reds-and-greens-16bit; do
  echo "  $demo/$name.png (RGBA; preview over a checkerboard: $demo/$name-preview.png)"
done
