#!/bin/bash
# Builds the 64-bit Windows configuration and starts the editor under wine64 on the current
# display (the 32-bit deliverable cannot run here). Arguments go to the program as its command
# line, a project file to open. QX_BUILD_ROOT and WINEPREFIX are honoured.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${QX_BUILD_ROOT:-$root/build}
cmake --preset win64 -B "$build_root/win64" >/dev/null
cmake --build "$build_root/win64" -j4 --target quandrelix dqbmp dqtif dqppm >/dev/null
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
exec /usr/lib/wine/wine64 "$build_root/win64/bin/quandrelix.exe" "$@"
