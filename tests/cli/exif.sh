#!/usr/bin/env bash
# velorin exif FILE on a camera picture made with exiftool: "label: value"
# lines in the reader's order, the values as exiftool reads them and the
# labels from the resource file of the user's first language that has one
# (German here, else English); a picture without metadata is an error. (The
# value texts of every rule: the reader's tests.)
set -euo pipefail
tool=$1
. "$(dirname "$0")/importsupport.sh"
cd "$home"

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
# The output with locale variables VAR=VALUE... (the others unset).
exif() { env -u LANGUAGE -u LC_ALL -u LC_MESSAGES "$@" "$tool" exif camera.jpg; }

en=$(exif LANG=en_US.UTF-8)
echo "$en"
for pair in 1:Make 2:Model 3:ISO; do test "$(value "$(label en-US "${pair%:*}")" "$en")" = "$(tag "${pair#*:}")"; done
test "$(value "$(label en-US 22)" "$en")" = "1/250 $(label en-US 129)" # 0.004 s
# Maker before model, model before the exposure time.
grep -n "" <<<"$en" | awk -F: -v a="$(label en-US 1)" -v b="$(label en-US 2)" -v c="$(label en-US 22)" '
  $2 == a { ia = $1 } $2 == b { ib = $1 } $2 == c { ic = $1 }
  END { exit !(ia && ib && ic && ia < ib && ib < ic) }'

# German labels and the German date format.
de=$(exif LANG=de_DE.UTF-8)
echo "$de"
test "$(label de-DE 2)" != "$(label en-US 2)"
test "$(value "$(label de-DE 2)" "$de")" = "Canon EOS 5D Mark IV"
test "$(value "$(label de-DE 25)" "$de")" = "14.07.23 15:42:07"
test "$(value "$(label de-DE 22)" "$de")" = "1/250 $(label de-DE 129)"
test "$(wc -l <<<"$de")" -eq "$(wc -l <<<"$en")"
# The language list before LANG, LC_ALL before both; French has no file.
labels() { exif "$@" | cut -d: -f1; }
test "$(labels LANG=fr_FR.UTF-8 LANGUAGE=de_DE:en_US)" = "$(cut -d: -f1 <<<"$de")"
test "$(labels LANG=fr_FR.UTF-8 LC_ALL=de_DE.UTF-8)" = "$(cut -d: -f1 <<<"$de")"
test "$(labels LANG=fr_FR.UTF-8)" = "$(cut -d: -f1 <<<"$en")"
test "$(labels LANG=C)" = "$(cut -d: -f1 <<<"$en")"

# No metadata, no file, no argument.
run "$tool" exif plain.jpg
test "$status" -eq 1 && test ! -s "$home/out"
grep -q "plain.jpg: no readable metadata" "$home/err"
run "$tool" exif missing.jpg
test "$status" -ne 0
fails 2 "" "$tool" exif

# The copy of a sound annotation lives only while the tool runs; a FIFO and a
# link to /dev/zero under picture names are refused at once, not read.
mkdir tmp && printf 'RIFF....WAVEfmt ' >MEMO.WAV && cp camera.jpg sound.jpg
exiftool -q -overwrite_original -EXIF:RelatedSoundFile=MEMO.WAV sound.jpg
TMPDIR=$home/tmp "$tool" exif sound.jpg >/dev/null
mkfifo fifo.jpg && ln -s /dev/zero zero.jpg
for special in fifo.jpg zero.jpg; do
  run env TMPDIR="$home/tmp" timeout 20 "$tool" exif "$special"
  test "$status" -eq 1
done
test -z "$(ls -A tmp)"
echo OK
