#!/usr/bin/env bash
# Serves the built tuner (scripts/build-web.sh) at http://127.0.0.1:8000/
# Usage: scripts/serve-web.sh [port]
set -euo pipefail
cd "$(dirname "$0")/.."
[[ -f build/web/index.html ]] || scripts/build-web.sh
exec node web/tools/serve.mjs build/web "${1:-8000}"
