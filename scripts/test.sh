#!/bin/bash
# Installs what is missing, builds native, win64 and win32, and runs every test:
# native under the sanitizers, win64 under wine64 on a private Xvfb display, win32's
# deliverables checked with objdump and its tests and program run under 32-bit Wine in an
# emulated machine (scripts/wine32-vm.sh; the first run builds that machine).
# Ends with one line "N passed, N failed".
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# QX_BUILD_ROOT puts the build trees (and the Wine prefix) elsewhere than build/;
# QX_JOBS sets the parallel build jobs (8).
build_root=${QX_BUILD_ROOT:-$root/build}

source "$root/scripts/lib/packages.sh"
install_missing_packages "${qx_vm_packages[@]}"

buildlog=$(mktemp)
for preset in native win64 win32; do
  if ! { cmake --preset "$preset" -B "$build_root/$preset" &&
         cmake --build "$build_root/$preset" -j "${QX_JOBS:-8}"; } >"$buildlog" 2>&1; then
    cat "$buildlog"
    echo "build of $preset failed"
    exit 1
  fi
  grep -E 'warning|error' "$buildlog" || true
done
rm -f "$buildlog"

passed=0
failed=0
# Adds the counts of ctest's "N% tests passed, F tests failed out of T".
count() {
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -1 || true)
  if [[ -z $line ]]; then
    failed=$((failed + 1))
    return
  fi
  local f t
  f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  t=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
  passed=$((passed + t - f))
  failed=$((failed + f))
}

log=$(mktemp -d)
xvfb_pid=
cleanup() {
  if [[ -n ${WINEPREFIX:-} ]]; then /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true; fi
  if [[ -n $xvfb_pid ]]; then kill "$xvfb_pid" >/dev/null 2>&1 || true; fi
  rm -rf "$log"
}
trap cleanup EXIT

# run_ctest PRESET JOBS [CTEST-ARG...]. ctest writes to files, not pipes: Wine's service
# processes inherit the test programs' output and outlive them, and a pipe they hold would
# never close.
run_ctest() {
  ctest --test-dir "$build_root/$1" --output-on-failure -j "$2" "${@:3}" >"$log/$1" 2>&1 || true
  cat "$log/$1"
  count "$log/$1"
}

run_ctest native 8

# A private display and Wine prefix; one wineserver for the whole run.
display=99
while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 100); do [[ -S /tmp/.X11-unix/X$display ]] && break; sleep 0.1; done
export WINEPREFIX="$build_root/wine-prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
/usr/lib/wine/wineserver -p >/dev/null 2>&1 </dev/null
# Creates the prefix the first time, and starts Wine's services away from our output.
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 </dev/null || true
[[ -d $WINEPREFIX/drive_c/windows/system32 ]] || { echo "could not create the Wine prefix"; exit 1; }
run_ctest win64 4

# The 32-bit deliverable: its format checks here, the rest in the emulated machine.
run_ctest win32 1 -L pe32

echo "== the 32-bit build under 32-bit Wine, in an emulated machine =="
stage_start=$SECONDS
vm_results=$build_root/wine32-results
if bash "$root/scripts/wine32-vm.sh" "$build_root/win32" "$vm_results" >"$log/vm" 2>&1; then
  cat "$log/vm" "$vm_results/ctest.log"
  count "$vm_results/ctest.log"
  cat "$vm_results/program.log"
  if grep -q '^program: passed$' "$vm_results/program.log"; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
else
  cat "$log/vm"
  failed=$((failed + 1))
fi
echo "== end of the 32-bit run under 32-bit Wine ($((SECONDS - stage_start)) s) =="

echo "$passed passed, $failed failed"
((failed == 0))
