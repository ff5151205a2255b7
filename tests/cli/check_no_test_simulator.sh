#!/usr/bin/env bash
# Usage: check_no_test_simulator.sh TOOL
# Fails unless TOOL carries the core's effect call and nothing that drives a
# built module: no lean module host (modulehost), no test simulator (hostsim).
# Driving a module is the test tool's, huesieve-module-render.
set -euo pipefail
tool=$1
symbols=$(nm -C "$tool")
if ! grep -qF 'huesieve::RenderEffect<' <<<"$symbols"; then
  echo "$tool does not carry huesieve::RenderEffect"
  exit 1
fi
test_only=$(grep -i -E 'modulehost|hostsim|ModuleBeside|module_render' <<<"$symbols" || true)
if [[ -n "$test_only" ]]; then
  echo "test machinery in $tool:"
  echo "$test_only" | head -20
  exit 1
fi
echo "$tool: the core, nothing of the module host or the test simulator"
