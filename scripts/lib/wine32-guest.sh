#!/bin/bash
# The emulated machine's job, started by its PID 1 (scripts/wine32-vm.sh) with the host's
# folders mounted:
#   wine32-guest.sh RESULTS provision         creates the Wine prefix kept in the disk image
#                                             (the image's /qx-provision)
#   wine32-guest.sh RESULTS test BUILD_DIR    runs BUILD_DIR's tests under 32-bit Wine (all but
#                                             those labelled pe32), then the program check
# Writes "booted" into RESULTS first and "finished" last; everything else it prints goes to
# RESULTS/guest.log.
set -u
results=$1
job=$2
mkdir -p "$results"
: >"$results/booted"
exec >"$results/guest.log" 2>&1 </dev/null

export WINEPREFIX=/root/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine
Xvfb :1 -screen 0 1280x1024x24 -nolisten tcp >/tmp/xvfb.log 2>&1 &
xvfb_pid=$!
export DISPLAY=:1
for _ in $(seq 200); do [[ -S /tmp/.X11-unix/X1 ]] && break; sleep 0.1; done

source "$(dirname "$0")/main_window.sh"

# Starts the 32-bit program, waits for its main window, saves a picture of the screen, asks
# it to close as the window manager would (WM_CLOSE) and wants exit code 0.
program_check() {
  local bin=$1 pid window status=0
  "$wine" "$bin/quandrelix.exe" >/tmp/quandrelix.log 2>&1 &
  pid=$!
  window=
  for _ in $(seq 240); do
    kill -0 "$pid" 2>/dev/null || { echo "program: failed: it ended before its window appeared"; return; }
    window=$(main_window)
    [[ -n $window ]] && break
    sleep 0.5
  done
  [[ -n $window ]] || { echo "program: failed: no main window within 2 minutes"; return; }
  echo "main window: $(xdotool getwindowname "$window")"
  sleep 2
  import -window root "$results/quandrelix-win32.png" || true
  "$wine" "$bin/../tools/qx_post_message.exe" close || { echo "program: failed: could not post WM_CLOSE"; return; }
  for _ in $(seq 60); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.5
  done
  if kill -0 "$pid" 2>/dev/null; then
    echo "program: failed: still running 30 s after WM_CLOSE"
    return
  fi
  wait "$pid" || status=$?
  if ((status == 0)); then echo "program: passed"; else echo "program: failed: exit code $status"; fi
}

case $job in
  provision)
    if bash /qx-provision; then echo provisioned; else echo "no prefix"; fi >"$results/provision.log"
    ;;
  test)
    tests=$3
    /usr/lib/wine/wineserver -p
    # Wine's services start here, away from the tests' output: a pipe they inherited from a
    # test would keep ctest waiting for that test until its time runs out.
    /usr/lib/wine/wine64 wineboot -i >/tmp/wineboot.log 2>&1
    ctest --test-dir "$tests" -LE pe32 --output-on-failure -j 4 --timeout 600 >"$results/ctest.log" 2>&1
    program_check "$tests/bin" >"$results/program.log" 2>&1
    ;;
esac

/usr/lib/wine/wineserver -k
kill "$xvfb_pid"
wait "$xvfb_pid"
: >"$results/finished"
