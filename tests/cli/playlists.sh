#!/usr/bin/env bash
# velorin playlists in a HOME of its own, over videos catalogued by hand:
# every change is read back by a fresh run of the tool and from the mapping
# table, and refused commands write nothing.
set -euo pipefail
tool=$1
. "$(dirname "$0")/importsupport.sh"
velorin() { "$tool" "$@"; }
vids=$home/vids
mkdir -p "$vids"
velorin init --video >/dev/null
# With a thumbnail each, so that no background reading starts.
sqlite3 "$videodb" "INSERT INTO VideoInfo(name, fullPath, duration, thumbnail, fIsDeleted, fIsCaptured, markIn, markOut)
  VALUES ('a', '$vids/a.mp4', 61000, X'424D', 0, 0, -1, -1), ('b', '$vids/b.mp4', 2000, X'424D', 0, 0, -1, -1),
         ('c', '$vids/c.mp4', 3000, X'424D', 0, 1, -1, -1), ('d', '$vids/d.mp4', 4000, X'424D', 0, 0, -1, -1)"
members() { sqlite3 "$videodb" "SELECT fullPath FROM VideoPlayListMapping WHERE albumGUID='$1' ORDER BY id" | xargs -n1 basename | tr '\n' ' '; }
test -z "$(velorin playlists)"

# A name that quotes and breaks lines is stored as it is and printed as one
# line; paths are taken relative to the working folder.
name=$'Road "trip"\nTrash:'
guid=$(cd "$vids" && velorin playlists create "$name" a.mp4 ./b.mp4 c.mp4)
[[ $guid =~ ^\{[0-9a-f-]{36}\}$ ]]
test "$(velorin playlists)" = "$(printf 'Road "trip"\\nTrash:\t3\t1:06\t%s' "$guid")"
test "$(sqlite3 "$videodb" "SELECT name FROM VideoPlayList")" = "$name"

# Order by hand: up to the front, down to the end (past it is the end).
velorin playlists move "$guid" "$vids/c.mp4" 1
test "$(members "$guid")" = "c.mp4 a.mp4 b.mp4 "
velorin playlists move "${guid^^}" "$vids/c.mp4" 2
test "$(members "$guid")" = "a.mp4 c.mp4 b.mp4 "
velorin playlists move "$guid" "$vids/a.mp4" 9
test "$(members "$guid")" = "c.mp4 b.mp4 a.mp4 "
velorin playlists add "$guid" "$vids/d.mp4" "$vids/a.mp4"
velorin playlists remove "$guid" "$vids/b.mp4"
test "$(members "$guid")" = "c.mp4 a.mp4 d.mp4 "
test "$(velorin playlists show "$guid" | cut -f1,3)" = "$(printf '1\t%s\n2\t%s\n3\t%s' "$vids"/{c,a,d}.mp4)"

# Refusals write nothing.
sum=$(md5sum <"$videodb")
fails 1 "no playlist 'Nowhere'" velorin playlists add Nowhere "$vids/a.mp4"
fails 1 "not in the catalogue: $vids/zzz.mp4" velorin playlists add "$guid" "$vids/b.mp4" "$vids/zzz.mp4"
fails 1 "not in playlist" velorin playlists remove "$guid" "$vids/a.mp4" "$vids/b.mp4"
fails 2 "not a position: 'first'" velorin playlists move "$guid" "$vids/a.mp4" first
fails 2 "usage" velorin playlists move "$guid" "$vids/a.mp4"
fails 2 "unknown action 'bogus'" velorin playlists bogus
test "$sum" = "$(md5sum <"$videodb")"

# A video that left the catalogue leaves the listing's count and duration.
sqlite3 "$videodb" "DELETE FROM VideoInfo WHERE name='a'"
test "$(velorin playlists)" = "$(printf 'Road "trip"\\nTrash:\t2\t0:07\t%s' "$guid")"

# Trash, back, and delete for good from the trash with the mapping rows.
other=$(velorin playlists create Attic "$vids/d.mp4")
velorin playlists trash "$guid"
test "$(velorin playlists)" = "$(printf 'Attic\t1\t0:04\t%s\nTrash:\nRoad "trip"\\nTrash:\t2\t0:07\t%s' "$other" "$guid")"
fails 1 "already in the trash" velorin playlists trash "$guid"
velorin playlists restore "$guid"
fails 1 "not in the trash" velorin playlists restore Attic
velorin playlists trash Attic
velorin playlists delete Attic
velorin playlists delete "${guid:1:36}"
test -z "$(velorin playlists)"
test "$(sqlite3 "$videodb" 'SELECT count(*) FROM VideoPlayList; SELECT count(*) FROM VideoPlayListMapping')" = "$(printf '0\n0')"
echo OK
