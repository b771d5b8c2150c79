#!/usr/bin/env bash
# Writers sharing one catalogue, and writes the catalogue refuses: two
# imports at once store every picture once; a full disk, read-only files or
# folder, or a file that is not a catalogue make the tool fail loudly, name
# the reason and lose nothing that was stored.
set -euo pipefail
velorin=$1
. "$(dirname "$0")/importsupport.sh"

# small_pictures DIR N: one small JPEG under N names, DIR001.jpg and on.
small_pictures() { make_pictures "$1" "$2" 200x150 "$1"; }
fail() { echo "FAIL: $*" >&2; exit 1; }
cd "$home"

# Two processes at once on overlapping folders: each picture is stored once,
# with its four thumbnails, and counted added by one of them.
small_pictures x 60; small_pictures y 60; small_pictures z 60
"$velorin" import x y >xy.out 2>/dev/null & p1=$!
"$velorin" import y z >yz.out 2>/dev/null & p2=$!
wait $p1 && wait $p2 || fail "overlapping imports: $(cat xy.out yz.out)"
added=$(awk -F'[ ,]+' '/^added [0-9]+, updated 0, unchanged [0-9]+, failed 0$/ { n += $2; k++ } END { print k, n }' xy.out yz.out)
test "$added" = "2 180" || fail "summaries: $(cat xy.out yz.out)"
check_complete 180 || fail "overlapping imports stored $(rows) rows, not 180 distinct"
check_consistent
test "$(query 'SELECT (SELECT count(*) FROM mini.ImageThumbnail) + (SELECT count(*) FROM small.ImageThumbnail)
  + (SELECT count(*) FROM medium.ImageThumbnail) + (SELECT count(*) FROM large.ImageThumbnail)')" = 720 ||
  fail "thumbnail rows without their picture, or twice"

# A changed picture gets its own thumbnails; empty ones are filled in.
before=$(query "SELECT hex(thumbnail) FROM large.ImageThumbnail WHERE fullPath='$home/x/x001.jpg'" | md5sum)
rm x/x001.jpg
{ printf 'P6\n300 100\n255\n'; head -c $((300 * 100 * 3)) /dev/zero; } | cjpeg >x/x001.jpg
query "UPDATE small.ImageThumbnail SET thumbnail=x'' WHERE fullPath='$home/x/x002.jpg'"
"$velorin" import x >x.out 2>/dev/null || fail "$(cat x.out)"
grep -qx 'added 0, updated 2, unchanged 58, failed 0' x.out || fail "re-import: $(cat x.out)"
after=$(query "SELECT hex(thumbnail) FROM large.ImageThumbnail WHERE fullPath='$home/x/x001.jpg'" | md5sum)
test "$before" != "$after" || fail "the changed picture kept its old thumbnail"
test "$(query "SELECT count(*) FROM small.ImageThumbnail WHERE length(thumbnail)=0")" = 0 || fail "empty thumbnail kept"

# The disk fills up: every file fails with the reason, the files stay sound.
if unshare -Urm true 2>/dev/null; then
  mkdir full
  status=0
  unshare -Urm bash -c 'mount -t tmpfs -o size=700k tmpfs full && XDG_DATA_HOME=$PWD/full "$0" import x >full.out 2>/dev/null
                        s=$?; for f in full/Brennart/Quillon/KivPhoto/*.db; do
                          test "$(sqlite3 "$f" "PRAGMA integrity_check")" = ok || s=99; done; exit $s' "$velorin" || status=$?
  test $status = 1 || fail "import on a full disk exited $status: $(tail -3 full.out)"
  grep -q 'failed .*: disk full' full.out || fail "no 'disk full' reason: $(tail -3 full.out)"
fi

# A file that is not a catalogue is reported as such and left as it is.
cp "$db" saved.db
head -c 65536 /dev/urandom >"$db"
sum=$(md5sum <"$db")
for command in "import x" "list" "tags" "albums"; do
  if $velorin $command >bad.out 2>bad.err; then fail "$command on a corrupt catalogue succeeded"; fi
  grep -q 'not a catalogue' bad.err || fail "$command: $(cat bad.err)"
done
test "$(md5sum <"$db")" = "$sum" || fail "the corrupt catalogue file was changed"
cp saved.db "$db"

# Permissions bind only an unprivileged user (see unprivileged.sh).
if [ "$(id -u)" -ne 0 ]; then
  small_pictures n 5
  "$velorin" albums create trip x/x001.jpg >/dev/null
  stored=$(rows)
  expect_refused() { # WHAT REASON: the import of n fails with REASON, nothing stored
    if "$velorin" import n >ro.out 2>/dev/null; then fail "$1: import succeeded"; fi
    grep -q "failed .*: $2" ro.out || fail "$1: $(cat ro.out)"
    test "$(rows)" = "$stored" || fail "$1: rows changed"
    check_consistent
  }
  chmod a-w "$catalogue"/*.db
  expect_refused "read-only files" "read-only catalogue"
  test "$("$velorin" list | wc -l)" = "$stored" || fail "a read-only catalogue cannot be read"
  if "$velorin" albums create other x/x001.jpg >/dev/null 2>&1; then fail "album created in a read-only catalogue"; fi
  if "$velorin" albums add trip x/x002.jpg >/dev/null 2>&1; then fail "album changed in a read-only catalogue"; fi
  chmod u+w "$catalogue"/*.db
  chmod a-w "$catalogue"
  expect_refused "read-only folder" "read-only catalogue\|cannot open"
  chmod u+w "$catalogue"
  chmod a-w "$catalogue/ImageThumbnail_Medium.db"
  expect_refused "one read-only store" "read-only catalogue (ImageThumbnail_Medium.db)"
  chmod u+w "$catalogue/ImageThumbnail_Medium.db"
fi
echo ok
