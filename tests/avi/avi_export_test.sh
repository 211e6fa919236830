#!/bin/bash
# Exports small projects through the program code under Wine and checks the results:
# the AVI file with ffprobe and ffmpeg, the numbered BMP files with Pillow, writes that fail on
# a full disk, and an existing AVI file that gives way only to a finished film. Uses the
# WINEPREFIX and DISPLAY of the calling test run, and the loader in QX_WINE_LOADER.
# Usage: avi_export_test.sh PROBE_EXE DQBMP_DLL
set -u
probe=$1
plugin=$2
wine=${QX_WINE_LOADER:-/usr/lib/wine/wine64}
work=$(mktemp -d /tmp/qx-export.XXXXXX)
cleanup() {
  umount "$work/full" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
winpath() { echo "Z:${1//\//\\}"; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# AVI: 67 x 45 (rows padded), slots 1 to 3 with 2, 1 and 3 frames between: 4 + 2 + 4 = 10 frames,
# over an existing file of that name.
echo "old film" >"$work/film.avi"
"$wine" "$probe" avi "$(winpath "$work/film.avi")" "$(winpath "$work/expected.raw")" - 67 45 2,1,3 \
  </dev/null | tr -d '\r' >"$work/avi.log" 2>&1
cat "$work/avi.log"
grep -q '^frames: 10$' "$work/avi.log" || fail "AVI export did not produce 10 frames"
grep -q '^restored: 1 busy: 0' "$work/avi.log" || fail "AVI export did not restore the current field"
grep -q '^box: Die Animation wurde erfolgreich erstellt.' "$work/avi.log" || fail "no success question after the AVI"
probe_line=$(ffprobe -v error -select_streams v:0 -count_frames \
  -show_entries stream=width,height,r_frame_rate,nb_read_frames -of csv=p=0 "$work/film.avi" 2>&1)
[[ $probe_line == "67,45,5/1,10" ]] || fail "ffprobe reports '$probe_line', wanted 67,45,5/1,10"
ffmpeg -v error -i "$work/film.avi" -f rawvideo -pix_fmt bgr24 "$work/decoded.raw" </dev/null
cmp -s "$work/decoded.raw" "$work/expected.raw" || fail "decoded AVI frames differ from the rendered frames"
first_key=$(ffprobe -v error -select_streams v:0 -show_entries packet=pts,flags -of csv=p=0 "$work/film.avi" | head -1)
[[ $first_key == 0,K* ]] || fail "the first sample is '$first_key', wanted a key frame at 0"

# The compressor choice cancelled: the film of that name stays as it was, no file is left over.
cp "$work/film.avi" "$work/kept.avi"
"$wine" "$probe" avi-cancel "$(winpath "$work/film.avi")" - - 67 45 2,1,3 </dev/null | tr -d '\r' >"$work/cancel.log" 2>&1
grep -q '^box:' "$work/cancel.log" && fail "a message after the cancelled AVI: $(cat "$work/cancel.log")"
cmp -s "$work/film.avi" "$work/kept.avi" || fail "the cancelled AVI export changed the existing file"
ls "$work" | grep -q '^qx' && fail "files left over: $(ls "$work" | grep '^qx')"

# Numbered BMP files through dqbmp: film001.bmp .. film010.bmp, equal to the rendered frames.
mkdir "$work/seq"
"$wine" "$probe" bmp "$(winpath "$work/seq/film.bmp")" "$(winpath "$work/seq.raw")" "$(winpath "$plugin")" 67 45 2,1,3 \
  </dev/null | tr -d '\r' >"$work/bmp.log" 2>&1
cat "$work/bmp.log"
grep -q '^box: Die Animation wurde erfolgreich erstellt.$' "$work/bmp.log" || fail "no success message after the BMP files"
/usr/bin/python3 - "$work/seq" "$work/seq.raw" 67 45 10 <<'PY' || fail "numbered BMP files wrong"
import os, sys
from PIL import Image
folder, raw, w, h, n = sys.argv[1], sys.argv[2], *map(int, sys.argv[3:])
expected = open(raw, "rb").read()
names = sorted(os.listdir(folder))
assert names == ["film%03d.bmp" % i for i in range(1, n + 1)], names
for i, name in enumerate(names):
    rgb = Image.open(os.path.join(folder, name)).convert("RGB").tobytes()
    bgr = bytes(b for p in range(w * h) for b in (rgb[3 * p + 2], rgb[3 * p + 1], rgb[3 * p]))
    assert bgr == expected[i * w * h * 3:(i + 1) * w * h * 3], name
PY

# A full disk, skipped where mounting is not allowed. AVI (90k of frames on 28k): the status box
# and then message 31, the existing file of that name kept whole, nothing else left.
mkdir "$work/full"
if mount -t tmpfs -o size=28k tmpfs "$work/full" 2>"$work/mount.log"; then
  echo "old film" >"$work/full/film.avi"
  "$wine" "$probe" avi "$(winpath "$work/full/film.avi")" - - 67 45 2,1,3 </dev/null | tr -d '\r' >"$work/fullavi.log" 2>&1
  cat "$work/fullavi.log"
  grep -A1 '^box: -[0-9]*$' "$work/fullavi.log" | grep -q '^box: Beim Speichern der Animation' ||
    fail "no status box and then message 31 for the AVI on a full disk"
  grep -q 'erfolgreich' "$work/fullavi.log" && fail "success reported for the AVI on a full disk"
  [[ $(ls "$work/full") == film.avi && $(cat "$work/full/film.avi") == "old film" ]] ||
    fail "after the full-disk AVI: $(ls "$work/full" | tr '\n' ' ')"
  rm "$work/full/film.avi"
  # BMP: the third file fails (28k hold two files of 12k): message 31, the failed file removed,
  # the two before it kept.
  "$wine" "$probe" bmp "$(winpath "$work/full/film.bmp")" - "$(winpath "$plugin")" 67 45 2,1,3 \
    </dev/null | tr -d '\r' >"$work/full.log" 2>&1
  cat "$work/full.log"
  grep -q '^box: Beim Speichern der Animation ist ein Fehler aufgetreten.' "$work/full.log" || fail "no message 31 on a full disk"
  [[ $(ls "$work/full") == $'film001.bmp\nfilm002.bmp' ]] || fail "files after the full disk: $(ls "$work/full" | tr '\n' ' ')"
else
  echo "SKIP: full-disk case, cannot mount a small file system: $(cat "$work/mount.log")"
fi

((failures == 0)) && echo "avi export checks passed"
((failures == 0))
