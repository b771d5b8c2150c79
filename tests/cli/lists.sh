#!/usr/bin/env bash
# velorin tags and velorin places in a HOME of their own: rows written into
# the catalogue by hand come out sorted in the locale's order with their
# counts, places with their stored position when they have one.
set -euo pipefail
tool=$1
. "$(dirname "$0")/importsupport.sh"
# The tool sorts in the collation of the locale it is given (which need not
# be installed for that); the shell itself keeps its own.
velorin() { env LC_ALL=en_US.UTF-8 "$tool" "$@"; }

velorin init >/dev/null
test -z "$(velorin tags)$(velorin places)"

sqlite3 "$db" <<'SQL'
INSERT INTO TagList(tag, count) VALUES('cherry', 2), ('Banana', 1), ('apple', 5), ('zebra', 1), ('öl', 3),
  ('zz' || char(10) || '9' || char(9) || 'forged', 1);
INSERT INTO AddrList(addr, count, latitude, longitude, altitude) VALUES
  ('Oslo', 4, 59.91273, 10.74609, 23), ('bergen', 1, 60.39299, 5.32415, 12.5),
  ('Atlantis', 2, 10000, 10000, -10000000);
SQL

test "$(velorin tags)" = "$(printf '5\tapple\n1\tBanana\n2\tcherry\n3\töl\n1\tzebra\n1\tzz\\n9\\tforged')"
test "$(velorin places)" = "$(printf '2\tAtlantis\n1\tbergen\t60.39299,5.32415\n4\tOslo\t59.91273,10.74609')"

# Listing reads only: the file is the same afterwards.
sum=$(md5sum <"$db")
velorin tags >/dev/null
velorin places >/dev/null
test "$sum" = "$(md5sum <"$db")"

fails 2 "unknown argument '--bogus'" velorin tags --bogus
test ! -s "$home/out"
fails 2 "" velorin places extra
echo OK
