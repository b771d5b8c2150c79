#!/usr/bin/env bash
# velorin import killed outright (SIGKILL) in the middle of a pass: the
# catalogue files stay sound, no photo row is left without its thumbnails,
# and importing again finishes the job with each picture catalogued once.
set -euo pipefail
tool=$1
. "$(dirname "$0")/importsupport.sh"

count=60
make_pictures "$home/pics" $count
"$tool" init >/dev/null

"$tool" import "$home/pics" >"$home/out" 2>"$home/err" &
pid=$!
some_rows() { [ "$(rows)" -gt 0 ]; }
wait_for "$pid" some_rows
kill -9 "$pid"
{ wait "$pid"; } 2>/dev/null || true
pid=
done_before=$(rows)
echo "killed with $done_before of $count rows written"
# Otherwise the kill came too late to test anything.
test "$done_before" -lt $count

check_consistent

"$tool" import "$home/pics" >"$home/out" 2>"$home/err"
cat "$home/out"
grep -qx "added $((count - done_before)), updated 0, unchanged $done_before, failed 0" "$home/out"
check_consistent
check_complete $count
test "$(query 'SELECT count(*) FROM large.ImageThumbnail WHERE length(thumbnail) = 0')" = 0
echo OK
