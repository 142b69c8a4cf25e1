#!/usr/bin/env bash
# Mounts a freshly started orvex-docstore with davfs2 (a FUSE file system)
# and writes through the mount: a new folder, a new file, an append to it and
# a larger copied file. Checks over HTTP that the server holds exactly what
# was written, that davfs2 holds a lock on a file open for writing (another
# client's PUT is refused with 423 meanwhile), and that the lock is gone once
# the file is closed and the mount is gone.
#
# Exits 77 (skipped) with its reason where the machine cannot mount FUSE
# file systems (not root, no /dev/fuse, no davfs2, mounts not permitted).
# Directory listings through the mount are not checked: davfs2 1.6.1 fails
# to read directories on recent kernels whatever the server (Apache's too).
#
#   tests/interop/davfs2.sh path/to/orvex-docstore
set -u

binary=${1:?usage: davfs2.sh path/to/orvex-docstore}
here=$(cd "$(dirname "$0")" && pwd)
seed=$here/docstore-litmus-seed.json

skip() {
  echo "davfs2.sh: skipped: $1"
  exit 77
}
[ "$(id -u)" -eq 0 ] || skip "mounting needs root"
[ -c /dev/fuse ] && [ -r /dev/fuse ] && [ -w /dev/fuse ] || skip "no usable /dev/fuse"
command -v mount.davfs >/dev/null 2>&1 || skip "davfs2 is not installed"
getent group davfs2 >/dev/null || skip "davfs2 has no group of its own"

tool=davfs2.sh
. "$here/start-docstore.sh"
mnt=$work/mnt
unmount() {
  if mountpoint -q "$mnt"; then umount "$mnt" >/dev/null 2>&1 || umount -l "$mnt"; fi
}
trap 'unmount; cleanup' EXIT

# A configuration of the run's own: its secrets and cache, locks on, every
# write uploaded when its file is closed. The cache belongs to davfs2's group,
# which its daemon runs as.
base=http://127.0.0.1:$port/litmus/
mkdir "$mnt" "$work/cache"
chgrp davfs2 "$work/cache"
chmod 775 "$work/cache"
chmod 755 "$work"
printf '%s litmus litmus\n' "$base" >"$work/secrets"
chmod 600 "$work/secrets"
cat >"$work/davfs2.conf" <<CONF
secrets $work/secrets
cache_dir $work/cache
use_locks 1
delay_upload 0
ask_auth 0
CONF
if ! out=$(timeout 60 mount -t davfs -o "conf=$work/davfs2.conf" "$base" "$mnt" 2>&1); then
  if echo "$out" | grep -Eiq "fuse|not permitted|permission denied"; then
    skip "the machine does not let davfs2 mount: $out"
  fi
  echo "davfs2.sh: mount failed: $out" >&2
  exit 1
fi

failed=0
check() {
  if [ "$2" != "$3" ]; then
    echo "davfs2.sh: $1: got '$2', expected '$3'" >&2
    failed=1
  fi
}
get() { curl -s -u litmus:litmus "$base$1"; }
locks() {
  curl -s -u litmus:litmus -X PROPFIND -H 'Depth: 0' -H 'Content-Type: application/xml' \
    --data '<D:propfind xmlns:D="DAV:"><D:prop><D:lockdiscovery/></D:prop></D:propfind>' \
    "$base$1" | grep -o 'opaquelocktoken:[0-9a-f-]*' | sort -u | wc -l
}

mkdir "$mnt/notes"
printf 'first line\n' >"$mnt/notes/a.txt"
head -c 300000 /dev/urandom >"$work/big.bin"
cp "$work/big.bin" "$mnt/notes/big.bin"

# While a file is open for writing davfs2 holds a lock on it.
exec 3>>"$mnt/notes/a.txt"
printf 'second line\n' >&3
check "locks while a.txt is open" "$(locks notes/a.txt)" 1
check "another client's PUT while a.txt is open" \
  "$(curl -s -o /dev/null -w '%{http_code}' -u litmus:litmus -T /etc/hostname "${base}notes/a.txt")" 423
exec 3>&-

unmount
check "a.txt" "$(get notes/a.txt)" "$(printf 'first line\nsecond line')"
check "big.bin" "$(get notes/big.bin | sha256sum)" "$(sha256sum <"$work/big.bin")"
check "locks after the mount is gone" "$(locks notes/a.txt)" 0

if [ "$failed" -ne 0 ]; then
  echo "davfs2.sh: FAILED" >&2
  cat "$work/server.out" >&2
  exit 1
fi
echo "davfs2.sh: writes through the mount passed"
