#!/usr/bin/env bash
# Builds the whole test suite with clang under ThreadSanitizer in
# ./build-tsan and runs every test: the program's reader and analytics
# threads and the parallel jobs of --merge run in the black-box tests.
set -euo pipefail
cd "$(dirname "$0")/.."
CXX=clang++ cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUINTREL_WERROR=ON -DQUINTREL_SANITIZE=thread -DBUILD_TESTING=ON -DQUINTREL_BENCH=OFF >/dev/null
cmake --build build-tsan
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
ctest --test-dir build-tsan --output-on-failure -j2
