#!/bin/sh
# Runs a test command as the user "nobody" when started as root: root writes
# to read-only files and folders, so the permission cases only mean something
# for an ordinary user. Anyone else runs the command as it is.
#   run_unprivileged.sh command [arguments...]
set -eu

if [ "$(id -u)" != 0 ]; then
  exec "$@"
fi
if ! command -v setpriv >/dev/null 2>&1; then
  echo "run_unprivileged.sh: setpriv not found; skipping the run as nobody."
  exit 0
fi

as_nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"; }
if ! as_nobody test -x "$1"; then
  echo "run_unprivileged.sh: nobody cannot run $1 (a folder above it is closed); skipping."
  exit 0
fi

# A temporary folder nobody can make its own folders in.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
chmod 1777 "$tmp"
TMPDIR=$tmp as_nobody "$@"
