#!/usr/bin/env bash
# velorin albums and velorin trash in a HOME of their own, over photos
# catalogued by hand: every change is read back by a fresh run of the tool
# (and, where it matters, from the tables), and refused commands write
# nothing.
set -euo pipefail
tool=$1
. "$(dirname "$0")/importsupport.sh"
velorin() { "$tool" "$@"; }
albums=$catalogue/PhotoAlbumInfo.db
pics=$home/pics
mkdir -p "$pics"
for n in a b c d e; do echo "$n" >"$pics/$n.jpg"; done

velorin init >/dev/null
sqlite3 "$db" <<SQL
INSERT INTO ImageInfo(name, fullPath, fileSize, fIsDeleted) VALUES
  ('a.jpg', '$pics/a.jpg', 2, 0), ('b.jpg', '$pics/b.jpg', 2, 0), ('c.jpg', '$pics/c.jpg', 2, 0),
  ('d.jpg', '$pics/d.jpg', 2, 0), ('e.jpg', '$pics/e.jpg', 2, 0);
SQL
test -z "$(velorin albums)"

# Creation takes paths relative to the working folder; a second album sorts
# ahead of the first by name.
guid=$(cd "$pics" && velorin albums create Holidays a.jpg ./b.jpg)
[[ $guid =~ ^\{[0-9a-f-]{36}\}$ ]]
other=$(velorin albums create Attic "$pics/e.jpg")
test "$(velorin albums)" = "$(printf 'Attic\t1\t%s\nHolidays\t2\t%s' "$other" "$guid")"

# Membership by name and by GUID in capitals; the table follows.
velorin albums add Holidays "$pics/c.jpg"
velorin albums remove "${guid^^}" "$pics/a.jpg"
velorin albums | grep -qxF "$(printf 'Holidays\t2\t%s' "$guid")"
test "$(sqlite3 "$albums" "SELECT fullPath FROM AlbumFileList WHERE albumGUID='$guid' ORDER BY fullPath")" \
    = "$(printf '%s\n%s' "$pics/b.jpg" "$pics/c.jpg")"

# Trash and back; a fresh run each time, so this is what is on disk.
velorin albums trash Holidays
test "$(velorin albums)" = "$(printf 'Attic\t1\t%s\nTrash:\nHolidays\t2\t%s' "$other" "$guid")"
fails 1 "already in the trash" velorin albums trash Holidays
velorin albums restore "$guid"
test "$(velorin albums)" = "$(printf 'Attic\t1\t%s\nHolidays\t2\t%s' "$other" "$guid")"

# Refusals: unknown album, unknown file (nothing written), bad usage.
sum=$(md5sum <"$albums")
fails 1 "no album 'Nowhere'" velorin albums add Nowhere "$pics/a.jpg"
fails 1 "not in the catalogue: $pics/zzz.jpg" velorin albums add Holidays "$pics/d.jpg" "$pics/zzz.jpg"
fails 1 "not in the catalogue: $pics/zzz.jpg" velorin albums create New "$pics/a.jpg" "$pics/zzz.jpg"
fails 1 "not in album 'Holidays'" velorin albums remove Holidays "$pics/c.jpg" "$pics/e.jpg"
fails 2 "usage" velorin albums create OnlyName
fails 2 "usage" velorin albums trash
fails 2 "unknown action 'bogus'" velorin albums bogus
test "$sum" = "$(md5sum <"$albums")"

# Delete for good, from the library and from the trash.
velorin albums delete Holidays
velorin albums trash Attic
velorin albums delete Attic
test -z "$(velorin albums)"
test "$(sqlite3 "$albums" 'SELECT count(*) FROM AlbumInfo; SELECT count(*) FROM AlbumFileList')" = "$(printf '0\n0')"

# Two albums of one name (which would also forge a line), one in the trash:
# the name is refused with both listed, a GUID (braces or not) picks one.
dup=$'dup\nTrash:'
live=$(velorin albums create "$dup" "$pics/a.jpg")
gone=$(velorin albums create "$dup" "$pics/b.jpg")
velorin albums trash "$gone"
fails 1 "2 albums match 'dup\nTrash:'; name one by its GUID" velorin albums delete "$dup"
grep -qxF "$(printf '  dup\\nTrash:\t%s\tin the trash' "$gone")" "$home/err"
velorin albums delete "${live:1:36}"
test "$(velorin albums)" = "$(printf 'Trash:\ndup\\nTrash:\t1\t%s' "$gone")"
velorin albums delete "$dup"
test -z "$(velorin albums)"

# The photo trash: listing, restoring, purging one and then the rest.
test -z "$(velorin trash)"
sqlite3 "$db" "UPDATE ImageInfo SET fIsDeleted=1 WHERE name IN ('a.jpg', 'b.jpg', 'c.jpg')"
test "$(velorin trash | sort)" = "$(printf '%s\n%s\n%s' "$pics/a.jpg" "$pics/b.jpg" "$pics/c.jpg")"
velorin trash restore "$pics/a.jpg"
test "$(sqlite3 "$db" "SELECT fIsDeleted FROM ImageInfo WHERE name='a.jpg'")" = 0
fails 1 "not in the trash: $pics/a.jpg" velorin trash restore "$pics/a.jpg"
velorin trash purge "$pics/b.jpg"
test "$(sqlite3 "$db" "SELECT name FROM ImageInfo ORDER BY name")" = "$(printf 'a.jpg\nc.jpg\nd.jpg\ne.jpg')"
velorin trash purge
test -z "$(velorin trash)"
test "$(sqlite3 "$db" "SELECT name FROM ImageInfo ORDER BY name")" = "$(printf 'a.jpg\nd.jpg\ne.jpg')"
fails 2 "usage" velorin trash restore
echo OK
