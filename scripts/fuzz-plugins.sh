#!/bin/bash
# Fuzzes the three image file readers with libFuzzer (clang, AddressSanitizer and UBSan) for a
# while each, starting from the seed corpus in plugins/imagefile/fuzz/corpus (which stays as it is).
# Usage: scripts/fuzz-plugins.sh [seconds per reader, default 60]
# Builds and works under $QX_BUILD_ROOT/fuzz (default build/fuzz); crash inputs land in its
# artifacts/ folder and can be replayed with the native build's <format>_fuzz_replay.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
work=${QX_BUILD_ROOT:-$root/build}/fuzz
src=$root/plugins/imagefile
mkdir -p "$work/artifacts"

status=0
for format in bmp tif ppm; do
  binary=$work/${format}_fuzz
  clang++ -std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$root" "$src/fuzz/${format}_fuzz.cpp" "$src/$format/${format}_codec.cpp" "$src/pixel_stream.cpp" \
    -o "$binary"
  corpus=$work/corpus/$format
  mkdir -p "$corpus"
  log=$work/$format.log
  echo "== $format: fuzzing for ${seconds}s"
  if "$binary" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$work/artifacts/$format-" "$corpus" "$src/fuzz/corpus/$format" >"$log" 2>&1; then
    grep -E '^Done [0-9]+ runs' "$log" || tail -1 "$log"
    echo "   corpus: $(find "$corpus" -type f | wc -l) inputs, no failures"
  else
    status=1
    echo "   FAILED, see $log"
    grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -5
  fi
done
exit $status
