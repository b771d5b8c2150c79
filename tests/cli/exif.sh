#!/usr/bin/env bash
# velorin exif FILE on a camera picture made with exiftool: the values agree
# with exiftool's numeric reading of the same file, the labels come from the
# resource file of the user's language (English, German), and a picture
# without metadata is an error.
set -euo pipefail
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_DATA_HOME=$work/data
cd "$work"

/usr/bin/convert -size 640x480 gradient:red-blue plain.jpg
cp plain.jpg camera.jpg
exiftool -q -overwrite_original -n -EXIF:Make='Canon' -EXIF:Model='Canon EOS 5D Mark IV' \
  -EXIF:ExposureTime=0.004 -EXIF:FNumber=2.8 -EXIF:ISO=400 -EXIF:FocalLength=50 -EXIF:Flash=16 \
  -EXIF:DateTimeOriginal='2023:07:14 15:42:07' -GPS:GPSLatitude=48.858370 -GPS:GPSLatitudeRef=N \
  -GPS:GPSLongitude=2.294481 -GPS:GPSLongitudeRef=E -GPS:GPSAltitude=35.5 -GPS:GPSAltitudeRef=0 camera.jpg

# Resource string N of a language, as the tool finds it beside itself.
label() { sed -n "s/.*Value=\"$2\" Title=\"\([^\"]*\)\".*/\1/p" "$(dirname "$tool")/$1/UI/VelorinRes.xml"; }
# The value exiftool reads for a tag, numerically.
tag() { exiftool -n -s3 "-$1" camera.jpg; }
# The value on the line of a label.
value() { sed -n "s/^$1: //p" <<<"$2"; }

en=$(env LANG=en_US.UTF-8 LANGUAGE=en_US LC_ALL= "$tool" exif camera.jpg)
echo "$en"
test "$(value "$(label en-US 1)" "$en")" = "$(tag Make)"
test "$(value "$(label en-US 2)" "$en")" = "$(tag Model)"
test "$(value "$(label en-US 3)" "$en")" = "$(tag ISO)"
# exiftool stores 2.8 as 14/5, which shows with two decimals.
fnumber=$(value "$(label en-US 23)" "$en")
awk -v s="$fnumber" -v f="$(tag FNumber)" 'BEGIN { exit !(s ~ /^F\// && (substr(s, 3) - f) ^ 2 < 1e-6) }'
# 0.004 s is 1/250 s; 50 mm with one decimal.
test "$(awk -v t="$(tag ExposureTime)" 'BEGIN { printf "1/%d", 1 / t + 0.5 }') $(label en-US 129)" = \
     "$(value "$(label en-US 22)" "$en")"
test "$(value "$(label en-US 8)" "$en")" = "$(printf '%.1f' "$(tag FocalLength)") $(label en-US 130)"
# Whole metres up to a kilometre.
test "$(value "$(label en-US 175)" "$en")" = "$(awk -v a="$(tag GPSAltitude)" 'BEGIN { printf "%d m", int(a) }')"
# Degrees, minutes and seconds back to decimal degrees.
for axis in "173 GPSLatitude N" "174 GPSLongitude E"; do
  set -- $axis
  shown=$(value "$(label en-US "$1")" "$en")
  awk -v s="$shown" -v want="$(tag "$2")" -v ref="$3" 'BEGIN {
    n = split(s, p, /[^0-9.]+/)
    got = p[1] + p[2] / 60 + p[3] / 3600
    if (substr(s, length(s)) != ref || (got - want) ^ 2 > 1e-10) { print "bad " s " for " want; exit 1 }
  }'
done
# Lines follow the reader's order: maker before model, model before the
# exposure time.
grep -n "" <<<"$en" | awk -F: -v a="$(label en-US 1)" -v b="$(label en-US 2)" -v c="$(label en-US 22)" '
  $2 == a { ia = $1 } $2 == b { ib = $1 } $2 == c { ic = $1 }
  END { exit !(ia && ib && ic && ia < ib && ib < ic) }'

# German labels and the German date format.
de=$(env LANG=de_DE.UTF-8 LANGUAGE=de LC_ALL= "$tool" exif camera.jpg)
echo "$de"
test "$(label de-DE 2)" != "$(label en-US 2)"
test "$(value "$(label de-DE 2)" "$de")" = "Canon EOS 5D Mark IV"
test "$(value "$(label de-DE 25)" "$de")" = "14.07.23 15:42:07"
test "$(value "$(label de-DE 22)" "$de")" = "1/250 $(label de-DE 129)"
test "$(wc -l <<<"$de")" -eq "$(wc -l <<<"$en")"

# No metadata, no file, no argument.
set +e
"$tool" exif plain.jpg >out 2>err
status=$?
set -e
test "$status" -eq 1
test ! -s out
grep -q "plain.jpg: no readable metadata" err
if "$tool" exif missing.jpg 2>/dev/null; then exit 1; fi
set +e
"$tool" exif 2>/dev/null
status=$?
set -e
test "$status" -eq 2

# The copy of a sound annotation lives only while the tool runs; a FIFO and a
# link to /dev/zero under picture names are refused at once, not read.
mkdir tmp && printf 'RIFF....WAVEfmt ' >MEMO.WAV && cp camera.jpg sound.jpg
exiftool -q -overwrite_original -EXIF:RelatedSoundFile=MEMO.WAV sound.jpg
TMPDIR=$work/tmp "$tool" exif sound.jpg >/dev/null
mkfifo fifo.jpg && ln -s /dev/zero zero.jpg
for special in fifo.jpg zero.jpg; do
  status=0
  TMPDIR=$work/tmp timeout 20 "$tool" exif "$special" >/dev/null 2>&1 || status=$?
  test "$status" -eq 1
done
test -z "$(ls -A tmp)"
echo OK
