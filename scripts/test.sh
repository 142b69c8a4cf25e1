#!/usr/bin/env bash
# The whole test suite: format check, the tests (unit, integration over HTTP,
# interop with Apache, litmus and cadaver, console acceptance, the Python
# module's pytest suite, and the package check: a staged install with a host
# program built against it), then the same tests built with AddressSanitizer
# and UndefinedBehaviorSanitizer (without the Python module and the package
# check, which a plain host cannot load or link). Warnings are errors in
# every build here, and the library and the programs are also built as a
# plain Release.
set -euo pipefail
cd "$(dirname "$0")/.."
ORVEX_WERROR=ON scripts/setup.sh
source scripts/compiler_cache.sh

echo "== Release build (library and programs)"
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release "${cache_flags[@]}" -DORVEX_WERROR=ON \
  -DORVEX_BUILD_TESTS=OFF -DORVEX_BUILD_BENCH=OFF -DORVEX_BUILD_PYTHON=OFF
cmake --build build-release -j"$(nproc)"

echo "== format"
git ls-files '*.h' '*.cc' | xargs clang-format --dry-run --Werror

echo "== tests"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure --no-tests=error -j2 --timeout 300

echo "== tests under ASan+UBSan"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVEX_SANITIZE=ON "${cache_flags[@]}" \
  -DORVEX_BUILD_BENCH=OFF -DORVEX_WERROR=ON
cmake --build build-asan -j"$(nproc)"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure --no-tests=error -j2 --timeout 600

echo "== fuzzing (each target for a bounded time, from its seed inputs)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${cache_flags[@]}" \
  -DORVEX_BUILD_FUZZ=ON -DORVEX_BUILD_TESTS=OFF -DORVEX_BUILD_BENCH=OFF -DORVEX_WITH_QT=OFF \
  -DORVEX_WERROR=ON
fuzzers=(multistatus request_body request_path seed console)
cmake --build build-fuzz -j"$(nproc)" --target "${fuzzers[@]/#/fuzz_}"
fuzz_seconds=${ORVEX_FUZZ_SECONDS:-20}
for name in "${fuzzers[@]}"; do
  # New inputs go to a scratch directory; the seed inputs in the repository
  # are only read. A crash leaves its input in build-fuzz/ and fails the run.
  scratch=$(mktemp -d)
  (cd build-fuzz && ASAN_OPTIONS=detect_leaks=1 "fuzz/fuzz_$name" -max_total_time="$fuzz_seconds" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$scratch" "../fuzz/corpus/$name") \
    || { rm -rf "$scratch"; echo "fuzz_$name found a crash"; exit 1; }
  rm -rf "$scratch"
done
