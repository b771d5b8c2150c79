#!/usr/bin/env bash
# velorin videoinfo: the facts, performer and thumbnail of a generated clip;
# then with the plug-in really absent (the library copied where neither it
# nor the tool has the plug-in beside it) and with MediaInfo really absent
# (its library hidden in a mount namespace of the test's own).
set -euo pipefail
tool=$1
clips=$2
. "$(dirname "$0")/importsupport.sh"

run "$tool" videoinfo "$clips/anamorphic.mkv" --thumb "$home/frame.bmp"
test "$status" -eq 0
grep -qxF 'resolution: 720x576' "$home/out" && grep -qxF 'aspect: 16:9' "$home/out"
grep -qxF 'duration: 2000 ms (0:00:02.000)' "$home/out" && grep -qxF 'result: 0x00000000' "$home/out"
# A 24-bit BMP of the 256-pixel box at the shown aspect: 256 x 144.
test "$(head -c 2 "$home/frame.bmp")" = BM
test "$(od -An -t u4 -j 18 -N 8 "$home/frame.bmp" | xargs)" = "256 144"
test "$(stat -c %s "$home/frame.bmp")" -eq $((54 + 768 * 144))

"$tool" videoinfo "$clips/performer.mkv" --json >"$home/out"
python3 -c 'import json,sys; v=json.load(open(sys.argv[1])); assert v["performer"] == "Jane Doe" and v["rotation"] == 0, v' \
  "$home/out"
grep -qxF 'rotation: 90' <("$tool" videoinfo "$clips/rotated-90.mp4")
fails 1 'cannot read a frame' "$tool" videoinfo "$clips/audio-only.m4a" --thumb "$home/none.bmp"
test ! -e "$home/none.bmp"

# The tool finds its library through RUNPATH, which LD_LIBRARY_PATH
# overrides: the copy's folder then holds no plug-in, nor does the tool's.
lib=$(ldd "$tool" | awk '/libvelorin/ {print $3}')
mkdir "$home/lib"
cp -L "$lib" "$home/lib/"
LD_LIBRARY_PATH=$home/lib fails 1 '(result 0x800401F8)' "$tool" videoinfo "$clips/performer.mp4" --thumb "$home/none.bmp"
test ! -s "$home/out" && test ! -e "$home/none.bmp"

if ! unshare -m true 2>/dev/null; then
  echo "SKIP: no mount namespace for hiding MediaInfo"
  exit 77
fi
# awk reads to the end: leaving early would end ldconfig with SIGPIPE,
# which pipefail turns into a failure.
mediainfo=$(ldconfig -p | awk '/libmediainfo.so.0 / && !found {found = $NF} END {print found}')
unshare -m sh -c 'mount --bind /dev/null "$1" && shift && exec "$@"' sh "$mediainfo" \
  "$tool" videoinfo "$clips/performer.mp4" >"$home/out"
grep -qxF 'resolution: 320x240' "$home/out" && grep -qxF 'performer: ' "$home/out"
echo ok
