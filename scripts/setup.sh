#!/usr/bin/env bash
# Installs what building and testing quintrel needs on a Debian machine, and
# nothing when it is all there already; `scripts/setup.sh quintrel` only what
# building the program needs, `scripts/setup.sh windows` only what
# cross-compiling quintrel.exe needs (scripts/build-windows.sh). Run as root it installs; otherwise it prints
# the command a person must run and stops.
set -euo pipefail

# The program.
packages=(cmake ninja-build g++ pkg-config nlohmann-json3-dev libzstd-dev libisal-dev)
# quintrel.exe: mingw-w64 with std::thread, and zlib for its gzip traces.
windows=(cmake ninja-build g++-mingw-w64-x86-64-posix libz-mingw-w64-dev nlohmann-json3-dev)
case "${1:-}" in
  quintrel) ;;
  windows) packages=("${windows[@]}") ;;
  "")
    # The tests, the benchmarks and the .deb; Boost.Regex holds the trace
    # grammar the tests check against; chromium renders the dashboard
    # headless in its tests, sqlite3 and jq read the JSONL listing; GNU
    # parallel runs the map step of the README's recipe for many machines.
    packages+=(zlib1g-dev libboost-regex-dev libgtest-dev libbenchmark-dev libxml2-utils python3
               python3-jsonschema time gzip zstd man-db dpkg-dev chromium sqlite3 jq parallel)
    # The sanitizer and fuzzing builds use clang and its runtime.
    if [ "${QUINTREL_SETUP_CLANG:-0}" = 1 ]; then
      packages+=(clang libclang-rt-14-dev)
    fi
    # quintrel.exe and wine, which runs its tests.
    if [ "${QUINTREL_SETUP_WINDOWS:-0}" = 1 ]; then
      packages+=("${windows[@]}" wine64)
    fi
    ;;
  *)
    echo "usage: scripts/setup.sh [quintrel | windows]" >&2
    exit 2
    ;;
esac

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

command="apt-get update && apt-get install -y ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages: ${missing[*]}" >&2
  echo "setup: run as root:  $command" >&2
  exit 1
fi
echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null
