#!/usr/bin/env bash
# Builds the tuner into build/web/: the page, the worker, the render core as
# WebAssembly (Debian's emscripten) and the sample. Installs what is missing:
# emscripten, Node and npm, Chromium (for the tests) and the npm packages of
# web/package-lock.json.
# Usage: scripts/build-web.sh
set -euo pipefail
cd "$(dirname "$0")/.."

extra=()
command -v emcc >/dev/null || extra+=(emscripten)
command -v node >/dev/null || extra+=(nodejs)
command -v npm >/dev/null || extra+=(npm)
command -v chromium >/dev/null || extra+=(chromium)
scripts/setup.sh "${extra[@]}"

# Debian's emscripten finds its JavaScript modules (acorn) only here.
export NODE_PATH=/usr/share/nodejs

(cd web && npm ci --no-audit --no-fund --loglevel=error)

out=build/web
rm -rf "$out"
mkdir -p "$out/src/vendor"
cp web/index.html web/tuner.css samples/huesieve-sample.png "$out/"
cp web/src/*.js "$out/src/"

# jpeg-js is a CommonJS module; the page loads ES modules, so its decoder is
# wrapped as one.
{
  echo "const module = { exports: {} };"
  cat web/node_modules/jpeg-js/lib/decoder.js
  echo "export default module.exports;"
} >"$out/src/vendor/jpeg-decoder.js"

# The core as in the module: warnings as errors, no floating-point
# contraction, WebAssembly SIMD for the lane kernel.
core_flags=(-std=c++20 -O3 -msimd128 -ffp-contract=off -Isrc -I.
  -include web/wasm/libcxx_compat.h
  -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow -Werror)
# The core's own equivalence checker too, for Node: every kernel the build
# runs (WebAssembly SIMD, portable, the emulated 16-lane one) against the
# plain rule.
mkdir -p build/web-check
emcc "${core_flags[@]}" src/core/*.cpp testing/support/emulated_kernel.cpp tests/core/equivalence_check.cpp \
  -o build/web-check/equivalence_check.js -sENVIRONMENT=node -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1

# The tuner's core: the render entry points, and the table of controls and
# the settings file over Debian's nlohmann-json, whose headers alone are made
# visible (not the rest of /usr/include). Built without C++ exceptions: the
# settings code reports its faults as values.
headers=build/web-include
mkdir -p "$headers"
ln -sfn /usr/include/nlohmann "$headers/nlohmann"
tuner_sources=(src/core/*.cpp src/effect/setting_checks.cpp src/effect/settings_json.cpp
  web/wasm/tuner_core.cpp web/wasm/tuner_settings.cpp src/threads/band_threads.cpp)
exports=_malloc,_free,_huesieve_render,_huesieve_map_claims,_huesieve_render16,_huesieve_map_claims16
exports+=,_huesieve_describe,_huesieve_settings_read,_huesieve_rule_bytes
exports+=,_huesieve_effect_settings_new,_huesieve_effect_settings_set
exports+=,_huesieve_render_float,_huesieve_map_claims_float,_huesieve_display_float
tuner_flags=("${core_flags[@]}" -fno-exceptions -isystem "$headers" --no-entry -sMODULARIZE=1
  -sFILESYSTEM=0 -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=2GB -sEXPORTED_FUNCTIONS="$exports"
  -sEXPORTED_RUNTIME_METHODS=UTF8ToString,stringToUTF8,lengthBytesUTF8)
emcc "${tuner_flags[@]}" "${tuner_sources[@]}" -o "$out/src/huesieve_core.js" \
  -sEXPORT_ES6=1 -sENVIRONMENT=worker
# The threaded build, for pages that may share memory: each thread a Web
# Worker from a pool the page sizes when it creates the core (tunerWorkers,
# the calling thread included). Memory growth is slower for JavaScript with
# threads; the page reads the heap only between renders.
emcc "${tuner_flags[@]}" "${tuner_sources[@]}" -o "$out/src/huesieve_core_threads.js" \
  -sEXPORT_ES6=1 -sENVIRONMENT=worker -pthread -sPTHREAD_POOL_SIZE=Module.tunerWorkers-1 \
  -Wno-pthreads-mem-growth
# The same core for Node, where the settings tests read keys through it
# (compiled at once: this emscripten would fetch the file by its path).
emcc "${tuner_flags[@]}" "${tuner_sources[@]}" -o build/web-check/huesieve_core_node.js \
  -sENVIRONMENT=node -sWASM_ASYNC_COMPILATION=0

# The image codecs huesieve-render reads and writes PNG, OpenEXR, TIFF and DPX
# with, over the same libraries built for WebAssembly: a module of their
# own, without threads, as OpenEXR reports faults by throwing C++
# exceptions (WebAssembly's own) where the render core has none.
scripts/build-third-party.sh wasm
wasm_prefix=build/third-party/wasm-prefix
image_sources=(src/image/frame_buffer.cpp src/image/byte_sink.cpp src/image/sample_rows.cpp
  src/image/pixel_limit.cpp src/image/exr_file.cpp src/image/tiff_file.cpp src/image/dpx_file.cpp
  src/image/png_file.cpp web/wasm/image_codec.cpp)
image_exports=_malloc,_free,_huesieve_image_new,_huesieve_image_free,_huesieve_image_decode
image_exports+=,_huesieve_image_message,_huesieve_image_width,_huesieve_image_height
image_exports+=,_huesieve_image_sample_type,_huesieve_image_premultiplied,_huesieve_image_format
image_exports+=,_huesieve_image_bits,_huesieve_image_stored_type,_huesieve_image_samples
image_exports+=,_huesieve_image_start_png,_huesieve_image_encode,_huesieve_image_encoded
image_flags=("${core_flags[@]}" -fwasm-exceptions -isystem "$wasm_prefix/include"
  -isystem "$wasm_prefix/include/Imath" -isystem "$wasm_prefix/include/OpenEXR" "${image_sources[@]}"
  -L"$wasm_prefix/lib" -lOpenEXR-3_1 -lOpenEXRCore-3_1 -lIex-3_1 -lIlmThread-3_1 -lImath-3_1
  -ltiff -lpng16 -lz --no-entry -sMODULARIZE=1 -sFILESYSTEM=0 -sALLOW_MEMORY_GROWTH=1
  -sMAXIMUM_MEMORY=2GB -sEXPORTED_FUNCTIONS="$image_exports" -sEXPORTED_RUNTIME_METHODS=UTF8ToString)
emcc "${image_flags[@]}" -sEXPORT_ES6=1 -sENVIRONMENT=worker -o "$out/src/huesieve_images.js"
# The same codecs for Node, where the PNG tests read files through them.
emcc "${image_flags[@]}" -sENVIRONMENT=node -sWASM_ASYNC_COMPILATION=0 \
  -o build/web-check/huesieve_images_node.js

echo "Built $out/ (serve it with scripts/serve-web.sh)"
