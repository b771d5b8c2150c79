#!/usr/bin/env bash
# velorin import and velorin list on real camera files in a HOME of their
# own: a folder tree with sub-folders, links (loops among them), a
# non-picture, a corrupt and an unreadable picture; the summary and exit
# status; a second run that changes nothing; the list in date order with
# GPS positions, as text and as JSON; the thumbnails of every photo; a
# folder of 10,000 other files; and an import interrupted by SIGINT and
# SIGTERM, which leaves a sound catalogue.
set -euo pipefail
tool=$1
media=$2
. "$(dirname "$0")/importsupport.sh"
goexif=$media/usr/share/gocode/src/github.com/rwcarlsen/goexif/exif
turned=$media/usr/share/gocode/src/github.com/disintegration/imaging/testdata
# Permissions do not bind root: the unreadable file and folder are then
# imported like the others.
privileged=$([ "$(id -u)" -eq 0 ] && echo 1 || echo 0)

# --- A folder tree --------------------------------------------------------
pics=$home/pics
mkdir -p "$pics/trip/day2" "$pics/.cache" "$pics/locked" "$home/elsewhere"
cp "$goexif/sample1.jpg" "$pics/"
cp "$goexif/samples/has-lens-info.jpg" "$pics/trip/lens.JPG"
cp "$turned/orientation_3.jpg" "$turned/orientation_6.jpg" "$pics/trip/day2/"
cp "$turned/orientation_0.jpg" "$home/elsewhere/outside.jpg"
cp "$turned/orientation_0.jpg" "$pics/.cache/hidden.jpg"
cp "$turned/orientation_8.jpg" "$pics/secret.jpg"
cp "$turned/orientation_2.jpg" "$pics/locked/inside.jpg"
head -c 2000 "$goexif/sample1.jpg" >"$pics/corrupt.jpg" # its metadata, no picture
echo 'not a picture' >"$pics/notes.txt"
ln -s .. "$pics/trip/day2/up"         # back to trip: a loop
ln -s "$pics" "$pics/trip/top"        # back to the top: a loop
ln -s trip "$pics/atrip"              # a second way into trip, listed first
ln -s "$home/elsewhere" "$pics/far"   # a folder outside the tree
ln -s nowhere.jpg "$pics/dangling.jpg"
# Modification times give the date order of the list.
touch -d '2019-05-01 08:00' "$pics/trip/lens.JPG"
touch -d '2020-01-01 09:00' "$pics/sample1.jpg"
touch -d '2021-01-01 10:00' "$pics/trip/day2/orientation_3.jpg"
touch -d '2021-06-01 11:00' "$home/elsewhere/outside.jpg"
touch -d '2022-01-01 12:00' "$pics/corrupt.jpg"
touch -d '2023-01-01 13:00' "$pics/trip/day2/orientation_6.jpg"
touch -d '2024-01-01 14:00' "$pics/secret.jpg"
touch -d '2024-02-01 15:00' "$pics/locked/inside.jpg"
chmod 000 "$pics/secret.jpg" "$pics/locked"

in_date_order=("$pics/trip/lens.JPG" "$pics/sample1.jpg" "$pics/trip/day2/orientation_3.jpg"
  "$pics/far/outside.jpg" "$pics/corrupt.jpg" "$pics/trip/day2/orientation_6.jpg")
if [ "$privileged" = 1 ]; then
  in_date_order+=("$pics/secret.jpg" "$pics/locked/inside.jpg")
  added=7 failed=1
else
  added=5 failed=3 # the corrupt and the unreadable picture, the unreadable folder
fi
photos=${#in_date_order[@]}

run env LC_ALL=de_DE.UTF-8 "$tool" import "$pics" # camera dates stored as German text
cat "$home/out" "$home/err"
test $status -eq 1
grep -qx "added $added, updated 0, unchanged 0, failed $failed" "$home/out"
grep -qx "failed $pics/corrupt.jpg: not a picture .*: saved without thumbnails" "$home/out"
if [ "$privileged" = 0 ]; then
  grep -qx "failed $pics/secret.jpg: cannot read the file: Permission denied" "$home/out"
  grep -qx "failed $pics/locked: cannot read the folder: Permission denied" "$home/out"
fi
# One progress line per file the catalogue was asked about, in path order.
test "$(grep -c "^velorin import: [0-9]*/$photos " "$home/err")" = "$photos"
test "$(sed -n "s|^velorin import: $photos/$photos [a-z]* ||p" "$home/err")" = "$(printf '%s\n' "${in_date_order[@]}" | LC_ALL=C sort | tail -1)"
# Each picture once, by the path that needs no link where there is one.
test "$(query 'SELECT fullPath FROM ImageInfo ORDER BY fullPath')" = "$(printf '%s\n' "${in_date_order[@]}" | LC_ALL=C sort)"
# Four thumbnails each; the corrupt picture's are empty.
check_consistent
test "$(query "SELECT count(*) FROM ImageInfo i
  JOIN mini.ImageThumbnail a ON a.fullPath = i.fullPath JOIN small.ImageThumbnail b ON b.fullPath = i.fullPath
  JOIN medium.ImageThumbnail c ON c.fullPath = i.fullPath JOIN large.ImageThumbnail d ON d.fullPath = i.fullPath
  WHERE length(a.thumbnail) > 0 AND length(b.thumbnail) > 0 AND length(c.thumbnail) > 0 AND length(d.thumbnail) > 0")" = $added
test "$(query "SELECT ifnull(length(thumbnail), 0) FROM large.ImageThumbnail WHERE fullPath = '$pics/corrupt.jpg'")" = 0

# --- Again: nothing to do but the picture that still cannot be decoded -----
run "$tool" import "$pics"
cat "$home/out"
test $status -eq 1
grep -qx "added 0, updated 0, unchanged $((photos - 1)), failed $failed" "$home/out"

# --- The list ---------------------------------------------------------------
"$tool" list >"$home/list"
cat "$home/list"
test "$(cut -f6 "$home/list")" = "$(printf '%s\n' "${in_date_order[@]}")"
# name, date, size, position, rating, path
awk -F'\t' -v path="$pics/sample1.jpg" -v size="$(stat -c %s "$pics/sample1.jpg")" '
  $6 == path { found = 1; split($4, at, ",")
    if ($1 != "sample1" || $3 != size || $5 != 0 || $2 != "02.07.05 10:38:28") exit 1
    if ((at[1] - 39.9156)^2 > 1e-8 || (at[2] - 116.3908)^2 > 1e-8) exit 1 }
  END { exit !found }' "$home/list"
grep -qP "^orientation_3\t2021-01-01T10:00:00\t1351\t-\t0\t$pics/trip/day2/orientation_3.jpg$" "$home/list"

"$tool" list --json >"$home/json"
python3 - "$home/json" "$home/list" "$pics" <<'PY'
import json, sys
photos = json.load(open(sys.argv[1]))
lines = [l.split("\t") for l in open(sys.argv[2]).read().splitlines()]
pics = sys.argv[3]
assert [p["path"] for p in photos] == [l[5] for l in lines], "the same photos in the same order"
keys = {"name", "date", "exifDate", "exifDateText", "modified", "size", "latitude", "longitude", "rating", "orientation", "path"}
assert all(set(p) == keys for p in photos), photos[0].keys()
by = {p["path"]: p for p in photos}
s = by[pics + "/sample1.jpg"]
assert abs(s["latitude"] - 39.9156) < 1e-4 and abs(s["longitude"] - 116.3908) < 1e-4, s
assert s["date"] == s["exifDate"] == "2005-07-02T10:38:28" and s["exifDateText"] == "02.07.05 10:38:28", s
assert s["modified"] == "2020-01-01T09:00:00", s
o = by[pics + "/trip/day2/orientation_6.jpg"]
assert o["latitude"] is None and o["longitude"] is None and o["exifDate"] is None, o
assert o["date"] == o["modified"] == "2023-01-01T13:00:00" and o["orientation"] == 6 and o["size"] == 1360, o
assert by[pics + "/trip/lens.JPG"]["orientation"] == 6
PY

# --- Arguments --------------------------------------------------------------
fails 2 "usage: velorin import" "$tool" import
fails 2 "" "$tool" import --bogus "$pics"
fails 2 "" "$tool" list extra
fails 1 "" "$tool" import "$home/missing" "$pics/notes.txt" "$pics/trip/day2/orientation_3.jpg"
grep -qx "failed $home/missing: no such file or folder" "$home/out"
grep -qx "added 0, updated 0, unchanged 1, failed 1" "$home/out"
grep -qx "velorin import: skipped $pics/notes.txt: not a supported picture or video type" "$home/err"
# Only the folder's own files; a picture named twice counts once.
XDG_DATA_HOME=$home/flat "$tool" import --no-recursive "$pics" "$pics/sample1.jpg" "$pics/../pics" \
  >"$home/out" 2>/dev/null || true
grep -qx "added $((1 + privileged)), updated 0, unchanged 0, failed $((failed - 1 + privileged))" "$home/out"

# --- Names that would forge lines, and names the catalogue cannot hold -------
odd=$home/odd
mkdir -p "$odd/"$'bad\xfe'
cp "$turned/orientation_1.jpg" "$odd/"$'x\nadded 9, updated 0, unchanged 0, failed 0.jpg'
cp "$turned/orientation_2.jpg" "$odd/"$'\xff.jpg'
cp "$turned/orientation_3.jpg" "$odd/"$'bad\xfe/in.jpg'
cp "$goexif/sample1.jpg" "$odd/"$'tab\t\e[31m.jpg'
exiftool -q -overwrite_original -EXIF:Artist=$'Ann\n\e[2J' "$odd/"$'tab\t\e[31m.jpg'
export XDG_DATA_HOME=$home/odd-data
if "$tool" import "$odd" "$odd/"$'\xff.jpg' >"$home/out" 2>"$home/err"; then exit 1; fi
cat "$home/out" "$home/err"
test "$(cat "$home/out")" = "added 2, updated 0, unchanged 0, failed 3
failed $odd/bad\\xfe: the name is not valid UTF-8, which the catalogue cannot store
failed $odd/\\xff.jpg: the name is not valid UTF-8, which the catalogue cannot store
failed $odd/\\xff.jpg: the name is not valid UTF-8, which the catalogue cannot store"
test "$(grep -c '^velorin import: ' "$home/err")" = 3 && grep -qF '/2 added '"$odd"'/tab\t\x1b[31m.jpg' "$home/err"
test "$("$tool" list | cut -f1)" = 'x\nadded 9, updated 0, unchanged 0, failed 0'$'\n''tab\t\x1b[31m'
"$tool" list --json | python3 -c 'import json, sys; assert {p["name"] for p in json.load(sys.stdin)} == {"x\nadded 9, updated 0, unchanged 0, failed 0", "tab\t\x1b[31m"}'
"$tool" exif "$odd/"$'tab\t\e[31m.jpg' | grep -qx '.*: Ann\\n\\x1b\[2J'
export XDG_DATA_HOME=$home/data

# --- 10,000 entries, three of them pictures ----------------------------------
many=$home/many
mkdir -p "$many/sub"
(cd "$many" && seq -f 'note%05g.txt' 9000 | xargs touch && cd sub && seq -f 'data%04g.bin' 997 | xargs touch)
cp "$goexif/sample1.jpg" "$turned/orientation_5.jpg" "$many/"
cp "$goexif/samples/has-lens-info.jpg" "$many/sub/"
start=$(date +%s%N)
XDG_DATA_HOME=$home/many-data "$tool" import "$many" >"$home/out" 2>/dev/null
took=$((($(date +%s%N) - start) / 1000000))
echo "10,000 entries: ${took} ms"
grep -qx "added 3, updated 0, unchanged 0, failed 0" "$home/out"
test $took -lt 10000

# --- Interrupted --------------------------------------------------------------
# Jobs of their own, so that the shell leaves SIGINT to them.
set -m
count=40
make_pictures "$home/big" $count
before=$(rows)
total=$((before + count))
interrupt() {
  # Emptied here, not only by the job's redirection: the job's shell may
  # not have opened it yet when some_done first looks, and the lines of the
  # run before would then stop a tool that has not even set up its signals.
  : >"$home/err"
  "$tool" import "$home/big" >"$home/out" 2>"$home/err" &
  pid=$!
  some_done() { [ "$(grep -c '/40 added' "$home/err")" -ge 2 ]; }
  wait_for "$pid" some_done
  kill -"$1" "$pid"
  status=0
  wait "$pid" || status=$?
  pid=
  cat "$home/out"
  test $status -eq "$2"
  grep -q "^stopped after [0-9]* of $count files" "$home/out"
  # Every file reported added is in the catalogue, whole; not all are.
  before=$((before + $(grep -c '/40 added' "$home/err")))
  test "$(rows)" = "$before"
  test "$before" -lt "$total"
  check_consistent
}
interrupt INT 130
interrupt TERM 143
"$tool" import "$home/big" >"$home/out" 2>/dev/null
grep -q "^added [1-9][0-9]*, updated 0, unchanged [1-9][0-9]*, failed 0$" "$home/out"
check_complete "$total"
echo OK
