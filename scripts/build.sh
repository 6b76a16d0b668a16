#!/usr/bin/env bash
# Configures and builds quintrel in ./build (warnings are errors): everything,
# or with `scripts/build.sh quintrel` only the program, without the tests and
# the benchmarks, which then need none of their packages.
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-}" in
  "") options=(-DBUILD_TESTING=ON -DQUINTREL_BENCH=ON) targets=() ;;
  quintrel) options=(-DBUILD_TESTING=OFF -DQUINTREL_BENCH=OFF) targets=(--target quintrel) ;;
  *)
    echo "usage: scripts/build.sh [quintrel]" >&2
    exit 2
    ;;
esac
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUINTREL_WERROR=ON "${options[@]}" >/dev/null
cmake --build build "${targets[@]}"
