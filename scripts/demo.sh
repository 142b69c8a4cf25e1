#!/usr/bin/env bash
# The main job: builds and installs QzOrvex (scripts/setup.sh), then runs the
# demo examples/demo.vbs on the embedded document store. Works from any
# folder. The demo runs in examples/, where the file it uploads lives; a step
# that fails stops it, and this script then exits with the console's status.
#
# ORVEX_CONSOLE=/path/to/orvex runs the demo with that console instead, and
# builds and installs nothing (the test suite runs the demo this way).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
console=${ORVEX_CONSOLE:-}
# A path given relative to the caller's folder still names the same file
# from examples/.
if [[ $console == */* && $console != /* ]]; then console=$PWD/$console; fi
if [[ -z $console ]]; then
  (cd "$root" && ORVEX_BUILD_TESTS=OFF ORVEX_BUILD_BENCH=OFF scripts/setup.sh)
  build_dir=${ORVEX_BUILD_DIR:-build}
  [[ $build_dir == /* ]] || build_dir=$root/$build_dir
  console=$build_dir/tools/orvex/orvex
fi
cd "$root/examples"
exec "$console" --embedded demo.vbs
