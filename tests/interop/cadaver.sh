#!/usr/bin/env bash
# Drives a scripted cadaver session against a freshly started orvex-docstore:
# mkcol, put, ls, propset, propget, move, copy, delete, get, and lock,
# discover, a put under the lock, unlock. cadaver exits 0 whatever happens,
# so every step's output is checked.
#
#   tests/interop/cadaver.sh path/to/orvex-docstore
set -u

binary=${1:?usage: cadaver.sh path/to/orvex-docstore}
here=$(cd "$(dirname "$0")" && pwd)
seed=$here/docstore-litmus-seed.json

if ! command -v cadaver >/dev/null 2>&1; then
  echo "cadaver.sh: cadaver is not installed" >&2
  exit 1
fi

tool=cadaver.sh
. "$here/start-docstore.sh"

# cadaver takes credentials from ~/.netrc.
mkdir "$work/home"
printf 'machine 127.0.0.1\nlogin litmus\npassword litmus\n' >"$work/home/.netrc"
chmod 600 "$work/home/.netrc"
content="cadaver was here $(date +%s)"
printf '%s\n' "$content" >"$work/local.txt"

cd "$work"
HOME="$work/home" timeout 120 cadaver "http://127.0.0.1:$port/litmus/" >"$work/session.out" 2>&1 <<'SCRIPT'
mkcol session
cd session
put local.txt doc.txt
ls
propset doc.txt colour blue
propget doc.txt colour
move doc.txt moved.txt
copy moved.txt copied.txt
ls
delete moved.txt
get copied.txt fetched.txt
ls
lock copied.txt
discover copied.txt
put local.txt copied.txt
unlock copied.txt
discover copied.txt
quit
SCRIPT
cat "$work/session.out"

failed=0
expect() {
  if ! grep -Fq -- "$1" "$work/session.out"; then
    echo "cadaver.sh: missing from the session: $1" >&2
    failed=1
  fi
}
expect "Creating \`session': succeeded."
expect "Uploading local.txt to \`/litmus/session/doc.txt':"
expect "Listing collection \`/litmus/session/': succeeded."
expect "Setting property on \`doc.txt': succeeded."
expect "Value of colour is: blue"
expect "Moving \`/litmus/session/doc.txt' to \`/litmus/session/moved.txt':  succeeded."
expect "Copying \`/litmus/session/moved.txt' to \`/litmus/session/copied.txt':  succeeded."
expect "Deleting \`moved.txt': succeeded."
expect "Downloading \`/litmus/session/copied.txt' to fetched.txt:"
expect "Locking \`copied.txt': succeeded."
expect "Lock token <opaquelocktoken:"
expect "Scope: exclusive  Type: write  Timeout: 3600 seconds"
expect "Uploading local.txt to \`/litmus/session/copied.txt':"
expect "Unlocking \`copied.txt': succeeded."
expect "Discovering locks on \`copied.txt': no locks found."
if grep -Eiq "failed|error" "$work/session.out"; then
  echo "cadaver.sh: the session reported a failure" >&2
  failed=1
fi
# The last listing shows the copy only: the move took doc.txt away and the
# delete removed moved.txt.
last_listing=$(awk '/Listing collection/ {block=""} {block=block $0 "\n"} END {printf "%s", block}' "$work/session.out")
if ! echo "$last_listing" | grep -q "copied.txt" || echo "$last_listing" | grep -Eq "moved.txt|doc.txt"; then
  echo "cadaver.sh: the final listing is wrong" >&2
  failed=1
fi
if [ "$(cat "$work/fetched.txt" 2>/dev/null)" != "$content" ]; then
  echo "cadaver.sh: the fetched copy does not hold what was uploaded" >&2
  failed=1
fi
if [ "$failed" -ne 0 ]; then
  echo "cadaver.sh: FAILED" >&2
  exit 1
fi
echo "cadaver.sh: session passed"
