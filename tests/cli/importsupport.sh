# Sourced by the tool's tests: a HOME of their own, a run that records the
# exit status and output of a command, pictures to import (large ones slowly
# enough to be interrupted), and the checks that a catalogue is sound and
# complete.

home=$(mktemp -d)
pid= # an import in the background, killed when the test ends before it
trap '[ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; chmod -R u+rwx "$home"; rm -rf "$home"' EXIT
export HOME=$home XDG_DATA_HOME=$home/data
catalogue=$XDG_DATA_HOME/Brennart/Quillon/KivPhoto
db=$catalogue/ImageInfo.db
videodb=$XDG_DATA_HOME/Brennart/Quillon/KivVideo/VideoInfo.db

# run CMD...: runs it with its output in $home/out and $home/err, the exit
# status in $status. fails STATUS TEXT CMD...: so, and the command must end
# with STATUS, saying TEXT (when not empty) on stderr.
run() {
  set +e
  "$@" >"$home/out" 2>"$home/err"
  status=$?
  set -e
}
fails() {
  local want=$1 text=$2
  shift 2
  run "$@"
  cat "$home/err"
  test "$status" -eq "$want"
  [ -z "$text" ] || grep -qF -- "$text" "$home/err"
}

# make_pictures DIR N [WxH [PREFIX]]: one JPEG of noise (by default of 6
# megapixels, which keeps every decode busy for a while) under N names (hard
# links: N files to import, one file on disk), PREFIX001.jpg and on (shot001
# by default). N stays below 1000.
make_pictures() {
  local size=${3:-3000x2000} prefix=${4:-shot} width height
  IFS=x read -r width height <<<"$size"
  mkdir -p "$1"
  { printf 'P6\n%d %d\n255\n' "$width" "$height"; head -c $((width * height * 3)) /dev/urandom; } |
    cjpeg -quality 75 >"$1/${prefix}001.jpg"
  for i in $(seq 2 "$2"); do ln "$1/${prefix}001.jpg" "$1/$prefix$(printf %03d "$i").jpg"; done
}

# Runs one statement on the image file with the four thumbnail stores
# attached as mini, small, medium and large; waits out a writer's lock.
query() {
  sqlite3 -cmd '.timeout 5000' "$db" \
    "ATTACH '$catalogue/ImageThumbnail_Mini.db' AS mini;
     ATTACH '$catalogue/ImageThumbnail_Small.db' AS small;
     ATTACH '$catalogue/ImageThumbnail_Medium.db' AS medium;
     ATTACH '$catalogue/ImageThumbnail_Large.db' AS large;
     $1"
}

rows() { query 'SELECT count(*) FROM ImageInfo' 2>/dev/null || echo 0; }

# wait_for PID TEST...: polls the test until it holds; fails when the
# process ends first or a minute passes.
wait_for() {
  local pid=$1
  shift
  for _ in $(seq 1200); do
    if "$@"; then return 0; fi
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "the import ended before it could be interrupted" >&2
      return 1
    fi
    sleep 0.05
  done
  echo "timed out waiting for: $*" >&2
  return 1
}

# Every file is a sound database, and every image row has its row in each
# of the four thumbnail stores (rows without a picture behind them are
# allowed there: a store is written before the image table).
check_consistent() {
  local f
  for f in "$catalogue"/*.db; do
    test "$(sqlite3 "$f" 'PRAGMA integrity_check')" = ok || { echo "damaged: $f" >&2; return 1; }
  done
  local orphans
  orphans=$(query 'SELECT count(*) FROM ImageInfo i WHERE
      NOT EXISTS (SELECT 1 FROM mini.ImageThumbnail t WHERE t.fullPath = i.fullPath)
   OR NOT EXISTS (SELECT 1 FROM small.ImageThumbnail t WHERE t.fullPath = i.fullPath)
   OR NOT EXISTS (SELECT 1 FROM medium.ImageThumbnail t WHERE t.fullPath = i.fullPath)
   OR NOT EXISTS (SELECT 1 FROM large.ImageThumbnail t WHERE t.fullPath = i.fullPath)')
  test "$orphans" = 0 || { echo "$orphans image rows without all four thumbnails" >&2; return 1; }
}

# After a full import of N pictures: N rows, each path once.
check_complete() {
  test "$(rows)" = "$1"
  test "$(query 'SELECT count(*) FROM (SELECT fullPath FROM ImageInfo GROUP BY fullPath HAVING count(*) > 1)')" = 0
}
