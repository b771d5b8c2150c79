#!/usr/bin/env bash
# velorin thumbs: the four thumbnail files of a picture stored turned (EXIF
# orientation 6) come out upright, as 24-bit BMP files of the fitted sizes;
# an undecodable file fails with nothing written.
set -euo pipefail
tool=$1
media=$2
. "$(dirname "$0")/importsupport.sh"
sets=$media/usr/share/gocode/src/github.com/disintegration/imaging/testdata

# Width x height of a BMP file (little-endian fields at bytes 18 and 22).
size() { echo "$(od -An -t u4 -j 18 -N 4 "$1" | tr -d ' ')x$(od -An -t u4 -j 22 -N 4 "$1" | tr -d ' ')"; }

"$tool" thumbs "$sets/orientation_6.jpg" --out "$home/out"
"$tool" thumbs "$sets/orientation_0.jpg" --out "$home/ref"
# The stored picture is 70 wide and 50 high; shown upright it is 50 x 70.
for box in 64 128 256 384; do
  bmp=$home/out/orientation_6.$box.bmp
  test "$(head -c 2 "$bmp")" = BM && test "$(stat -c %s "$bmp")" = "$(stat -c %s "$home/ref/orientation_0.$box.bmp")"
  test "$(size "$bmp")" = "$(size "$home/ref/orientation_0.$box.bmp")"
done
test "$(size "$home/out/orientation_6.64.bmp") $(size "$home/out/orientation_6.384.bmp")" = "46x64 50x70"

head -c 3000 /dev/urandom > "$home/noise.jpg"
if "$tool" thumbs "$home/noise.jpg" --out "$home/bad" 2>/dev/null; then exit 1; fi
test ! -e "$home/bad"
echo ok
