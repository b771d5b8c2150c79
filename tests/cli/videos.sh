#!/usr/bin/env bash
# velorin import of a folder of photos and videos (one progress, one
# summary, both catalogues filled) and velorin videos: every video with its
# duration, resolution and performer, as text and as exact JSON; a broken
# video is counted failed and the exit status says so; a second run leaves
# every readable file alone.
set -euo pipefail
tool=$1
clips=$2
. "$(dirname "$0")/importsupport.sh"

mix=$home/mix
mkdir -p "$mix/sub"
make_pictures "$mix" 2 64x48 photo
cp "$clips/performer.mp4" "$mix/sub/Concert.MP4"
cp "$clips/phone-1080p.mp4" "$mix/phone.mp4"
cp "$clips/bad/random.mp4" "$mix/broken.mp4"
# A name with a tab and a line break stays on one line of the text list.
cp "$clips/one-frame.mp4" "$mix/odd"$'\t'"name"$'\n'".mkv"

fails 1 "" "$tool" import "$mix"
grep -qx "added 5, updated 0, unchanged 0, failed 1" "$home/out"
grep -qx "failed $mix/broken.mp4: the video could not be read: saved without thumbnail" "$home/out"
grep -qx "velorin import: 6/6 .*" "$home/err"
test "$(rows)" = 2
test "$(sqlite3 "$videodb" 'SELECT count(*) FROM VideoInfo WHERE length(thumbnail) > 0')" = 3

run "$tool" videos
test "$status" = 0
grep -qxF "Concert	0:03	320x240	Jane Doe	$mix/sub/Concert.MP4" "$home/out"
grep -qxF "phone	0:02	1920x1080	-	$mix/phone.mp4" "$home/out"
grep -qxF "broken	-	-	-	$mix/broken.mp4" "$home/out"
grep -qxF 'odd\tname\n	0:00	320x240	-	'"$mix"'/odd\tname\n.mkv' "$home/out"
test "$(wc -l <"$home/out")" = 4

run "$tool" videos --json
python3 - "$home/out" "$mix" <<'PY'
import json, sys
videos = {v["path"]: v for v in json.load(open(sys.argv[1]))}
mix = sys.argv[2]
concert = videos[mix + "/sub/Concert.MP4"]
assert (concert["name"], concert["duration"], concert["width"], concert["height"], concert["performer"]) == \
    ("Concert", 3000, 320, 240, "Jane Doe"), concert
assert videos[mix + "/odd\tname\n.mkv"]["name"] == "odd\tname\n"
broken = videos[mix + "/broken.mp4"]
assert (broken["duration"], broken["width"], broken["thumbnail"]) == (None, None, False), broken
PY

# Nothing changed: the readable files are left alone, the broken one is
# tried (and counted) again.
fails 1 "" "$tool" import "$mix"
grep -qx "added 0, updated 0, unchanged 5, failed 1" "$home/out"
fails 2 "" "$tool" videos --bogus
