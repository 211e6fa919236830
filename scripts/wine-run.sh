#!/bin/bash
# Runs one Windows test program under Wine in the build's private prefix:
#   wine-run.sh LOADER PROGRAM [ARG...]
# LOADER is /usr/lib/wine/wine64 for the 64-bit build, /usr/lib/wine/wine for the 32-bit one.
# scripts/test.sh (or the emulated machine's run) sets WINEPREFIX and DISPLAY and keeps one
# wineserver alive.
set -u
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
: "${WINEPREFIX:?run the Windows tests through scripts/test.sh}"
loader=$1
shift
exec "$loader" "$@"
