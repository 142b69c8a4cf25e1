#!/usr/bin/env bash
# programs_answer.sh PROGRAM...: each program answers --help (usage on
# standard output) and --version ("NAME X.Y.Z") with exit status 0.
set -uo pipefail
status=0
for program in "$@"; do
  name=$(basename "$program")
  if ! help=$("$program" --help 2>&1) || [[ $help != *usage* ]]; then
    echo "FAIL: $name --help: '$help'" >&2
    status=1
  fi
  if ! version=$("$program" --version 2>&1) || [[ ! $version =~ ^$name\ [0-9]+\.[0-9]+\.[0-9]+$ ]]; then
    echo "FAIL: $name --version: '$version'" >&2
    status=1
  fi
done
exit $status
