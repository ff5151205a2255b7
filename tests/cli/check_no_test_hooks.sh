#!/usr/bin/env bash
# Usage: check_no_test_hooks.sh TOOL
# Fails unless TOOL links the simulated host's driver without its test layer:
# no symbol of the simulated host may name the faults, the record audit, the
# collected record changes or the strict host.
set -euo pipefail
tool=$1
symbols=$(nm -C "$tool" | grep 'hostsim::' || true)
if ! grep -q 'hostsim::Host::Render' <<<"$symbols"; then
  echo "$tool does not carry the simulated host's driver; nothing to check"
  exit 1
fi
# "default" (std::default_delete, _M_default_append) contains "fault".
hooks=$(sed 's/default//g' <<<"$symbols" | grep -i -E 'fault|audit|record_change|changedbytes|strict' || true)
if [[ -n "$hooks" ]]; then
  echo "test hooks in $tool:"
  echo "$hooks"
  exit 1
fi
echo "$tool: the simulated host's driver, no test hooks"
