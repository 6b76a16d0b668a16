#!/usr/bin/env bash
# Builds the whole test suite and the fuzz targets with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer in ./build-sanitize, and
# runs every test, including one pass of each fuzz target over its corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
CXX=clang++ cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUINTREL_WERROR=ON -DQUINTREL_SANITIZE=ON -DQUINTREL_FUZZ=ON -DQUINTREL_BENCH=OFF >/dev/null
cmake --build build-sanitize
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-sanitize --output-on-failure -j2
