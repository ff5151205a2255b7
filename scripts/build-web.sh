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
# fast-png imports fflate and iobuffer by their package names, which a worker
# cannot resolve (it has no import map): the three as one ES module.
web/node_modules/.bin/esbuild web/node_modules/fast-png/lib/index.js --bundle --format=esm \
  --platform=browser --log-level=warning --outfile="$out/src/vendor/fast-png.js"

# The core as in the module: warnings as errors, no floating-point
# contraction, WebAssembly SIMD for the lane kernel.
core_flags=(-std=c++20 -O3 -msimd128 -ffp-contract=off -Isrc -I.
  -include web/wasm/libcxx_compat.h
  -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow -Werror)
# The core's own equivalence checker too, for Node: every kernel the build
# runs (WebAssembly SIMD, portable, the emulated 16-lane one) against the
# plain rule.
mkdir -p build/web-check
emcc "${core_flags[@]}" src/core/*.cpp tests/core/equivalence_check.cpp \
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

echo "Built $out/ (serve it with scripts/serve-web.sh)"
