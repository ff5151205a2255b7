#!/usr/bin/env bash
# Usage: check_exports.sh MODULE SYMBOL...
# Fails unless the module's own exported functions are exactly the SYMBOLs.
set -euo pipefail
module=$1
shift
expected=$(printf '%s\n' "$@" | sort)
actual=$(nm -D --defined-only "$module" | awk '$2 ~ /^[TW]$/ {print $3}' | sort)
if [[ "$actual" != "$expected" ]]; then
  echo "exported functions of $module:"
  echo "$actual"
  echo "expected:"
  echo "$expected"
  exit 1
fi
echo "exports: $(echo $actual)"
