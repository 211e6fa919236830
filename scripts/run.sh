#!/bin/bash
# Builds the 64-bit Windows program and starts it under wine64, optionally with a project:
#   scripts/run.sh [project.vbmap]
# On a reachable $DISPLAY the program runs there until the user closes it. Without one it
# runs on a private Xvfb display: the script waits for the main window to paint, saves a
# screenshot of it (the path is printed), closes the program as a user would and checks
# that it ended with exit code 0. Installs missing packages first (as root).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# QX_BUILD_ROOT puts the build tree and the Wine prefix elsewhere than build/.
build_root=${QX_BUILD_ROOT:-$root/build}

die() {
  echo "run.sh: $*" >&2
  exit 1
}

(($# <= 1)) || die "usage: scripts/run.sh [project.vbmap]"
project=
if (($# == 1)); then
  [[ -f $1 ]] || die "no such file: $1"
  project=$(realpath "$1")
fi

source "$root/scripts/lib/packages.sh"
install_missing_packages

log_dir=$build_root/run-logs
mkdir -p "$log_dir"
build_log=$log_dir/build.log
if ! { cmake --preset win64 -B "$build_root/win64" &&
       cmake --build "$build_root/win64" -j "${QX_JOBS:-4}"; } >"$build_log" 2>&1; then
  tail -n 40 "$build_log"
  die "the win64 build failed (whole log: $build_log)"
fi
exe=$build_root/win64/bin/quandrelix.exe
post_message=$build_root/win64/tools/qx_post_message.exe

# Everything below is stopped on every way out; their output goes to files.
xvfb_pid=
program_pid=
cleanup() {
  if [[ -n ${WINEPREFIX:-} ]]; then /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true; fi
  if [[ -n $program_pid ]]; then wait "$program_pid" 2>/dev/null || true; fi
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" >/dev/null 2>&1 || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

private_display=0
if [[ -z ${DISPLAY:-} ]] || ! timeout 10 xdotool getdisplaygeometry >/dev/null 2>&1; then
  private_display=1
  display=99
  while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$log_dir/xvfb.log" 2>&1 </dev/null &
  xvfb_pid=$!
  export DISPLAY=":$display"
  for _ in $(seq 100); do [[ -S /tmp/.X11-unix/X$display ]] && break; sleep 0.1; done
  timeout 10 xdotool getdisplaygeometry >/dev/null 2>&1 || die "the private display :$display did not start"
fi

export WINEPREFIX="$build_root/wine-prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
/usr/lib/wine/wineserver -p >/dev/null 2>&1 </dev/null
# Creates the prefix the first time and starts Wine's services away from our output.
/usr/lib/wine/wine64 wineboot -i >"$log_dir/wineboot.log" 2>&1 </dev/null || true
[[ -d $WINEPREFIX/drive_c/windows/system32 ]] || die "could not create the Wine prefix $WINEPREFIX"

# wine64 quotes an argument with a space, and the program takes its whole command line as
# the path; the short form of such a path has no spaces.
args=()
if [[ -n $project ]]; then
  /usr/lib/wine/wine64 winepath -w "$project" >"$log_dir/winepath.out" 2>/dev/null </dev/null || true
  win_path=$(tr -d '\r' <"$log_dir/winepath.out")
  if [[ $win_path == *' '* ]]; then
    /usr/lib/wine/wine64 winepath -s "$win_path" >"$log_dir/winepath.out" 2>/dev/null </dev/null || true
    win_path=$(tr -d '\r' <"$log_dir/winepath.out")
  fi
  [[ -n $win_path && $win_path != *' '* ]] || die "cannot pass $project to the program"
  args=("$win_path")
fi

program_log=$log_dir/quandrelix.log
/usr/lib/wine/wine64 "$exe" "${args[@]}" >"$program_log" 2>&1 </dev/null &
program_pid=$!

if ((!private_display)); then
  echo "quandrelix runs on $DISPLAY (output: $program_log)"
  status=0
  wait "$program_pid" || status=$?
  program_pid=
  ((status == 0)) || die "quandrelix ended with exit code $status"
  exit 0
fi

source "$root/scripts/lib/main_window.sh"

window=
for _ in $(seq 240); do
  kill -0 "$program_pid" 2>/dev/null || die "quandrelix ended before its window appeared (output: $program_log)"
  window=$(main_window)
  [[ -n $window ]] && break
  sleep 0.5
done
[[ -n $window ]] || die "the main window did not appear within 2 minutes"

# Painted: three pictures of the window in a row, half a second apart, are the same.
previous=
same=0
for _ in $(seq 60); do
  sleep 0.5
  current=$(import -window "$window" rgb:- 2>/dev/null | md5sum) || current=
  if [[ -n $current && $current == "$previous" ]]; then same=$((same + 1)); else same=0; fi
  ((same < 2)) || break
  previous=$current
done

shots=$build_root/screenshots
mkdir -p "$shots"
shot=$shots/quandrelix-$(date +%Y%m%d-%H%M%S).png
# Taken from the screen, so the tool windows over the main window show as they are drawn there.
eval "$(xdotool getwindowgeometry --shell "$window" 2>/dev/null)"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shot" >/dev/null 2>&1 ||
  die "could not save a screenshot of window $window"
echo "$shot"

/usr/lib/wine/wine64 "$post_message" close >"$log_dir/post_message.log" 2>&1 </dev/null ||
  die "could not ask the program to close (output: $log_dir/post_message.log)"
for _ in $(seq 60); do
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.5
done
kill -0 "$program_pid" 2>/dev/null && die "quandrelix did not end within 30 seconds of the close request"
status=0
wait "$program_pid" || status=$?
program_pid=
((status == 0)) || die "quandrelix ended with exit code $status (output: $program_log)"
