#!/usr/bin/env bash
# The whole test suite: format check, the tests (unit, integration over HTTP,
# interop with Apache, litmus and cadaver, console acceptance), then the same
# tests built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

echo "== format"
git ls-files '*.h' '*.cc' | xargs clang-format --dry-run --Werror

echo "== tests"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure --no-tests=error -j2 --timeout 300

echo "== tests under ASan+UBSan"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVEX_SANITIZE=ON \
  -DORVEX_BUILD_BENCH=OFF
cmake --build build-asan -j"$(nproc)"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure --no-tests=error -j2 --timeout 600
