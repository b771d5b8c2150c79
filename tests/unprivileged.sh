#!/usr/bin/env bash
# Runs a test program as an unprivileged user: root writes into read-only
# folders, so tests about permissions only mean something without it.
# Exit status 77 (skipped) when there is no way to drop privileges here.
set -u
if [ "$(id -u)" -ne 0 ]; then
  exec "$@"
fi
drop=(setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=/tmp)
if ! command -v setpriv >/dev/null || ! "${drop[@]}" test -x "$1"; then
  echo "cannot run $1 as an unprivileged user here" >&2
  exit 77
fi
exec "${drop[@]}" "$@"
