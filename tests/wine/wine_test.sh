#!/usr/bin/env bash
# The Windows build under wine: a black-box subset of the tests, which holds
# quintrel.exe's output files, standard output and error and exit code to the
# Linux build's for the same command line, and checks what only the .exe
# does (no zstd, its hidden file on an interrupt).
#
# Usage: tests/wine/wine_test.sh LINUX_BUILD_DIR QUINTREL_EXE
# LINUX_BUILD_DIR holds quintrel and bench/trace_generator (scripts/build.sh
# builds both); the wine prefix is made beside QUINTREL_EXE on the first run.
set -uo pipefail
if [ $# -ne 2 ]; then
  echo "usage: tests/wine/wine_test.sh LINUX_BUILD_DIR QUINTREL_EXE" >&2
  exit 2
fi
linux_build=$(realpath "$1")
exe=$(realpath "$2")
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
if [ ! -x "$wine" ]; then
  echo "wine_test: wine64 is missing: QUINTREL_SETUP_WINDOWS=1 scripts/setup.sh installs it" >&2
  exit 1
fi
for needed in "$linux_build/quintrel" "$linux_build/bench/trace_generator" "$exe"; do
  [ -x "$needed" ] || { echo "wine_test: $needed is missing" >&2; exit 1; }
done
WINEPREFIX="$(dirname "$exe")/wineprefix"
export WINEPREFIX WINEDEBUG=-all
# Wine reads the arguments in the locale's character set.
export LC_ALL=C.UTF-8
"$wine" wineboot --init >/dev/null 2>&1

scratch=$(mktemp -d)
trap 'exec 3>&-; rm -rf "$scratch"' EXIT
mkdir "$scratch/linux" "$scratch/windows"
passed=0 failed=0

pass() { passed=$((passed + 1)); echo "ok      $1"; }
fail() { failed=$((failed + 1)); echo "FAILED  $1: $2"; }

# Copies SOURCE into both folders as NAME.
stage() { cp "$1" "$scratch/linux/$2" && cp "$1" "$scratch/windows/$2"; }

# Runs ARGS with RUNNER in FOLDER, standard input from INPUT (in FOLDER):
# its standard output, error and exit code land beside the folder.
run_in() {
  local folder=$1 input=$2
  shift 2
  (cd "$scratch/$folder" && "$@" <"$input" >"../$folder.out" 2>"../$folder.err"
   echo $? >"../$folder.rc")
}

# The case NAME: ARGS run by both builds with standard input from INPUT give
# the same exit code, standard output and error, and leave the same files.
same() {
  local name=$1 input=$2
  shift 2
  run_in linux "$input" "$linux_build/quintrel" "$@"
  run_in windows "$input" "$wine" "$exe" "$@"
  local what
  for what in rc out err; do
    if ! cmp -s "$scratch/linux.$what" "$scratch/windows.$what"; then
      fail "$name" "$what differs: $(diff "$scratch/linux.$what" "$scratch/windows.$what" | head -5)"
      return
    fi
  done
  if ! diff -r "$scratch/linux" "$scratch/windows" >"$scratch/diff"; then
    fail "$name" "files differ: $(head -5 "$scratch/diff")"
    return
  fi
  pass "$name (exit $(cat "$scratch/linux.rc"))"
}

cp "$(dirname "$0")/../../examples/sample.trc" "$scratch/sample.trc"
"$linux_build/bench/trace_generator" 7 3 "$scratch/generated.trc"
gzip -c "$scratch/generated.trc" >"$scratch/generated.trc.gz"
stage "$scratch/sample.trc" sample.trc
stage "$scratch/generated.trc" generated.trc
stage "$scratch/generated.trc.gz" generated.trc.gz

for trace in sample generated; do
  for format in TEXT HTML XML JSON DIGEST DASHBOARD; do
    same "$trace -s $format" /dev/null $trace.trc $trace.$format -s $format
  done
  for format in RAW CSV; do
    same "$trace -d $format" /dev/null $trace.trc $trace.$format -d $format
  done
done
same "options -r -v -X" /dev/null generated.trc options.TEXT -s TEXT -r -v -X
same "filters and the digest" /dev/null generated.trc filtered.DIGEST -s DIGEST --width=80 \
  --since=+10m --until=+40m --top=5
same "CONSOLE" /dev/null sample.trc CONSOLE -s TEXT
same "gzip trace (zlib against ISA-L)" /dev/null generated.trc.gz gzip.CSV -d CSV
same "gzip trace, profile" /dev/null generated.trc.gz gzip.JSON -s JSON
same "standard input" sample.trc - stdin.XML -s XML
same "standard input to CONSOLE" generated.trc - CONSOLE -d RAW
same "usage (exit 1)" /dev/null
same "unknown option (exit 1)" /dev/null sample.trc x.TEXT --bogus
same "output exists (exit 2)" /dev/null sample.trc sample.TEXT -s TEXT
same "output folder missing (exit 2)" /dev/null sample.trc no/such/folder.TEXT
same "trace missing (exit 3)" /dev/null missing.trc missing.TEXT -s TEXT
stage "$scratch/sample.trc" "tràce-日本.trc"
same "Unicode file names" /dev/null "tràce-日本.trc" "résumé-ü.TEXT" -s TEXT

# Standard output that is the trace: refused before anything is read.
run_in windows /dev/null sh -c "'$wine' '$exe' sample.trc CONSOLE -s TEXT >>sample.trc"
if [ "$(cat "$scratch/windows.rc")" = 2 ] &&
   grep -qx "output is the trace file sample.trc" "$scratch/windows.err" &&
   cmp -s "$scratch/sample.trc" "$scratch/windows/sample.trc"; then
  pass "output is the trace (exit 2)"
else
  fail "output is the trace (exit 2)" "exit $(cat "$scratch/windows.rc"), $(head -2 "$scratch/windows.err")"
fi

# No zstd reader in this build: a clear message, exit 3, no output.
zstd -q -c "$scratch/sample.trc" >"$scratch/windows/sample.trc.zst"
run_in windows /dev/null "$wine" "$exe" sample.trc.zst zstd.TEXT -s TEXT
if [ "$(cat "$scratch/windows.rc")" = 3 ] && [ ! -e "$scratch/windows/zstd.TEXT" ] &&
   [ "$(cat "$scratch/windows.err")" = "cannot open trace file sample.trc.zst: \
this build of quintrel reads no zstd traces" ]; then
  pass "zstd trace (exit 3)"
else
  fail "zstd trace (exit 3)" "exit $(cat "$scratch/windows.rc"), $(head -2 "$scratch/windows.err")"
fi

# An interrupted run (Ctrl-C) leaves nothing under the name, nor its hidden
# file: the run reads a pipe that stays open until it is interrupted.
mkfifo "$scratch/windows/pipe"
(cd "$scratch/windows" && exec "$wine" "$exe" - interrupted.TEXT -s TEXT <pipe >/dev/null 2>&1) &
pid=$!
exec 3>"$scratch/windows/pipe"
head -c 100000 "$scratch/sample.trc" >&3
for _ in $(seq 300); do
  compgen -G "$scratch/windows/.interrupted.TEXT.quintrel-*" >/dev/null && break
  sleep 0.1
done
hidden=$(compgen -G "$scratch/windows/.interrupted.TEXT.quintrel-*")
kill -INT $pid
for _ in $(seq 100); do
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
# A run that ignored the interrupt ends at the end of its input.
exec 3>&-
wait $pid
left=$(find "$scratch/windows" -maxdepth 1 -name '*interrupted*' -printf '%f\n')
if [ -n "$hidden" ] && [ -z "$left" ]; then
  pass "interrupted run leaves nothing"
else
  fail "interrupted run leaves nothing" "hidden file '${hidden##*/}', left '$left'"
fi

echo "wine: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
