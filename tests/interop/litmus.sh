#!/usr/bin/env bash
# Runs the litmus WebDAV suites basic, copymove, props, locks and http
# against a freshly started orvex-docstore and fails unless every test of
# every suite passes. The store is in memory, or with --store a SQLite store
# on disk.
#
#   tests/interop/litmus.sh path/to/orvex-docstore [--store]
set -u

binary=${1:?usage: litmus.sh path/to/orvex-docstore [--store]}
store=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
seed=$here/docstore-litmus-seed.json
suites="basic copymove props locks http"

if ! command -v litmus >/dev/null 2>&1; then
  echo "litmus.sh: litmus is not installed" >&2
  exit 1
fi

tool=litmus.sh
[ "$store" = --store ] && on_disk=1
. "$here/start-docstore.sh"

# litmus writes its debug logs into the current directory.
cd "$work"
TESTS="$suites" timeout 600 litmus "http://127.0.0.1:$port/litmus/" litmus litmus >"$work/litmus.out" 2>&1
litmus_status=$?
cat "$work/litmus.out"

failed=0
for suite in $suites; do
  line=$(grep "summary for \`$suite'" "$work/litmus.out")
  if ! echo "$line" | grep -Eq "of ([0-9]+) tests run: \1 passed, 0 failed"; then
    echo "litmus.sh: suite $suite did not pass completely: ${line:-no summary}" >&2
    failed=1
  fi
done
if [ "$litmus_status" -ne 0 ] || [ "$failed" -ne 0 ]; then
  echo "litmus.sh: FAILED" >&2
  exit 1
fi
echo "litmus.sh: all suites passed ($suites)${on_disk:+ on a store on disk}"
