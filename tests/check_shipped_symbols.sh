#!/usr/bin/env bash
# Usage: check_shipped_symbols.sh BINARY
# Fails unless BINARY (the tool, the module or the OpenFX plug-in) carries the
# core's walk and nothing made for tests: no lean module host (modulehost), no
# test simulator (hostsim), nothing of the module test tool, no test-only walk
# or kernel names. Driving a module is the test tool's,
# huesieve-module-render.
set -euo pipefail
binary=$1
symbols=$(nm -C "$binary")
if ! grep -qF 'huesieve::JudgeIntoWindow<' <<<"$symbols"; then
  echo "$binary does not carry huesieve::JudgeIntoWindow (stripped, or not the core's)"
  exit 1
fi
test_only=$(grep -i -E 'modulehost|hostsim|ModuleBeside|module_render' <<<"$symbols" || true)
test_only+=$(grep -E 'SelectionPass|KernelIsaName' <<<"$symbols" || true)
if [[ -n "$test_only" ]]; then
  echo "test machinery in $binary:"
  echo "$test_only" | head -20
  exit 1
fi
echo "$binary: the core, nothing made for tests"
