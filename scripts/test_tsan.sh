#!/usr/bin/env bash
# Builds, with clang under ThreadSanitizer in ./build-tsan, the program and
# the tests that run its threads, and runs them: the unit tests of the
# analytics worker, the line scanner and the pipe readers, and every
# black-box test, whose runs start the reading and analytics threads in each
# report kind, stop them early (failed writes, closed streams, interrupts,
# hostile input) and run the jobs of --merge. The other unit tests, whose
# code runs on one thread, stay out: with them the pass took some
# forty-five minutes on two cores, without them a few.
set -euo pipefail
cd "$(dirname "$0")/.."
# -O1 and line tables alone: the reports still name files and lines, and the
# build is quicker than an optimised one with full debug information.
CXX=clang++ cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=None \
  -DCMAKE_CXX_FLAGS="-O1 -gline-tables-only" -DQUINTREL_WERROR=ON -DQUINTREL_SANITIZE=thread \
  -DBUILD_TESTING=ON -DQUINTREL_BENCH=OFF >/dev/null
cmake --build build-tsan --target quintrel quintrel_thread_tests quintrel_cli_tests \
  quintrel_refuse_threads
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
# The unit tests not built here are listed as one test that cannot run.
ctest --test-dir build-tsan --output-on-failure -j2 -E '_NOT_BUILT$'
