#!/usr/bin/env bash
# The main job: builds QzOrvex and runs the demo script on the embedded
# document store.
set -euo pipefail
cd "$(dirname "$0")/.."
ORVEX_BUILD_TESTS=OFF ORVEX_BUILD_BENCH=OFF scripts/setup.sh
exec build/tools/orvex/orvex --embedded examples/demo.vbs
