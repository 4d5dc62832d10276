#!/bin/sh
# Runs a test command as "nobody" when started as root, since root writes to
# read-only files and folders anyway; anyone else runs it as it is.
set -eu
[ "$(id -u)" = 0 ] || exec "$@"
as_nobody="setpriv --reuid=nobody --regid=nogroup --clear-groups"
if ! $as_nobody test -x "$1"; then
  echo "SKIPPED: nobody cannot run $1 (a folder on the way is closed to other users)"
  exit 77
fi
tmp=$(mktemp -d)  # for the test folders; nobody may write here
trap 'rm -rf "$tmp"' EXIT
chmod 1777 "$tmp"
TMPDIR=$tmp $as_nobody "$@"
