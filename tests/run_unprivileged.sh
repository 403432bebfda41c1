#!/usr/bin/env bash
# Runs a test command as an unprivileged user when started as root, since root
# ignores the permission bits that read-only tests rely on. Exits 77 (skipped)
# when that user cannot reach the test binary.
set -u
if [ "$(id -u)" -ne 0 ]; then
  exec "$@"
fi
as_nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups)
if ! "${as_nobody[@]}" test -x "$1"; then
  echo "skipped: user 65534 cannot run $1 (a folder on its path is closed)"
  exit 77
fi
cd /tmp && exec "${as_nobody[@]}" env HOME=/tmp "$@"
