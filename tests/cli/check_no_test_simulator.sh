#!/usr/bin/env bash
# Usage: check_no_test_simulator.sh TOOL
# Fails unless TOOL carries the core's effect call and the lean module host,
# and no symbol of the test simulator (hostsim).
set -euo pipefail
tool=$1
symbols=$(nm -C "$tool")
for carried in 'huesieve::RenderEffect<' 'modulehost::Host::Render'; do
  if ! grep -qF "$carried" <<<"$symbols"; then
    echo "$tool does not carry $carried"
    exit 1
  fi
done
simulator=$(grep 'hostsim' <<<"$symbols" || true)
if [[ -n "$simulator" ]]; then
  echo "the test simulator in $tool:"
  echo "$simulator" | head -20
  exit 1
fi
echo "$tool: the core and the lean module host, nothing of the test simulator"
