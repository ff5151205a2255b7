#!/usr/bin/env bash
# Runs a Windows program under Wine, quietly and bounded in time. Uses the
# WINEPREFIX it is given; without one, a temporary prefix that is removed
# afterwards. The build uses it to run cross-built test programs.
# Usage: scripts/wine-run.sh PROGRAM [ARGS...]
#        scripts/wine-run.sh --stop   (stops the server of the given WINEPREFIX)
set -euo pipefail

wine=$(command -v wine64 || command -v wine || true)
if [[ -z $wine && -x /usr/lib/wine/wine64 ]]; then wine=/usr/lib/wine/wine64; fi
if [[ -z $wine ]]; then
  echo "wine-run.sh: Wine is missing; scripts/setup.sh wine64 installs it" >&2
  exit 127
fi
wineserver=$(command -v wineserver || true)
for candidate in /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver; do
  if [[ -z $wineserver && -x $candidate ]]; then wineserver=$candidate; fi
done

if [[ ${1:-} == --stop ]]; then
  [[ -n ${WINEPREFIX:-} && -n $wineserver ]] && "$wineserver" -k 2>/dev/null || true
  exit 0
fi

export WINEDEBUG=-all
# No offer to install Mono or Gecko on a prefix's first start.
export WINEDLLOVERRIDES="mscoree,mshtml="

temporary=""
if [[ -z ${WINEPREFIX:-} ]]; then
  temporary=$(mktemp -d "${TMPDIR:-/tmp}/huesieve-wine.XXXXXX")
  export WINEPREFIX=$temporary
  cleanup() {
    # Stops only this prefix's server, which this run started.
    [[ -z $wineserver ]] || "$wineserver" -k 2>/dev/null || true
    rm -rf "$temporary"
  }
  trap cleanup EXIT
fi

status=0
timeout "${HUESIEVE_WINE_TIMEOUT:-300}" "$wine" "$@" || status=$?
exit "$status"
