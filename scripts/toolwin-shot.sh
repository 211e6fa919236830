#!/bin/bash
# Screenshot of the three tool windows under a private Xvfb: runs the figures test of the
# Windows tests, which holds the windows open, and saves build/toolwin-shot.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${QX_BUILD_ROOT:-$root/build}
display=120
while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display" WINEPREFIX="$build_root/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap cleanup EXIT
for _ in $(seq 100); do [[ -S /tmp/.X11-unix/X$display ]] && break; sleep 0.1; done
mkdir -p "$root/build"
QX_TOOLWIN_HOLD=1 /usr/lib/wine/wine64 "$build_root/win64/tests/editor_win_tests.exe" \
  --gtest_filter='ToolWindows.Figures*' >"$root/build/toolwin-figures.txt" 2>&1 </dev/null &
test_pid=$!
for _ in $(seq 300); do
  xdotool search --onlyvisible --name '^Animationsleiste$' >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 1
/usr/bin/import -window root -crop 1000x720+0+0 "$root/build/toolwin-shot.png"
wait "$test_pid"
grep 'fade step' "$root/build/toolwin-figures.txt"
