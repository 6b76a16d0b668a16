#!/usr/bin/env bash
# Installs what building and testing quintrel needs on a Debian machine, and
# nothing when it is all there already. Run as root it installs; otherwise it
# prints the command a person must run and stops.
set -euo pipefail

# chromium: the dashboard's tests render its pages headless.
packages=(cmake ninja-build g++ libboost-regex-dev libgtest-dev libbenchmark-dev
          libxml2-utils python3 time chromium)
# The sanitizer and fuzzing builds use clang and its runtime.
if [ "${QUINTREL_SETUP_CLANG:-0}" = 1 ]; then
  packages+=(clang libclang-rt-14-dev)
fi

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
