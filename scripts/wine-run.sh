#!/bin/bash
# Runs one Windows test program under wine64 in the build's private prefix.
# scripts/test.sh sets WINEPREFIX, DISPLAY and keeps one wineserver alive.
set -u
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
: "${WINEPREFIX:?run the Windows tests through scripts/test.sh}"
exec /usr/lib/wine/wine64 "$@"
