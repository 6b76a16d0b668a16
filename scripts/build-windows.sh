#!/usr/bin/env bash
# Cross-compiles build-windows/quintrel.exe, one static x86-64 Windows
# program from the same sources, with Debian's mingw-w64 and its zlib
# (warnings are errors). Installs what is missing first (as root; otherwise
# scripts/setup.sh says what to install).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh windows
cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DQUINTREL_WERROR=ON -DBUILD_TESTING=OFF -DQUINTREL_BENCH=OFF >/dev/null
cmake --build build-windows --target quintrel
