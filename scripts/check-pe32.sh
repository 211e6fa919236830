#!/bin/bash
# Checks one 32-bit deliverable: PE32 for i386, large-address aware (programs), no MinGW
# runtime DLL imported, and (for libraries) exactly the given export names, undecorated.
# Usage: check-pe32.sh FILE [EXPORT...]
set -u
file=$1
shift
objdump=i686-w64-mingw32-objdump
fail() { echo "FAIL $(basename "$file"): $*"; exit 1; }

[[ -f $file ]] || fail "missing"
dump=$("$objdump" -p "$file") || fail "objdump could not read it"
grep -q 'file format pei-i386' <<<"$dump" || fail "not pei-i386"
grep -qE 'Magic[[:space:]]+010b[[:space:]]+\(PE32\)' <<<"$dump" || fail "not PE32"
if grep -qiE 'DLL Name: (libgcc|libstdc|libwinpthread)' <<<"$dump"; then
  fail "imports a MinGW runtime DLL"
fi
case $file in
  *.exe) grep -q 'large address aware' <<<"$dump" || fail "not large-address aware" ;;
esac

# Names of the export name table: lines "[   n] name" after its heading.
actual=$(awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && /^\t\[/{print $NF; next} on && !/^\t/{on=0}' <<<"$dump" | sort)
expected=$(printf '%s\n' "$@" | sed '/^$/d' | sort)
[[ $actual == "$expected" ]] || fail "exports [$(echo $actual)], expected [$(echo $expected)]"
echo "ok $(basename "$file"): PE32 i386, exports [$(echo $actual)]"
