#!/usr/bin/env bash
# Throughput benchmark of quintrel on large generated traces.
#
# Usage: bench/run_bench.sh [BUILD_DIR]
#
#   BUILD_DIR   build tree holding quintrel and bench/trace_generator
#               (default: build/ at the top of the repository)
#
# Environment:
#   BENCH_SIZES            trace sizes in MB, 1 MB = 1048576 bytes (default "200 1024")
#   BENCH_RUNS             timed runs per mode (default 5)
#   QUINTREL_BENCH_CACHE   where the generated traces are kept between runs
#                          (default /var/tmp/quintrel-bench); a trace is generated
#                          only when missing, so delete it after changing the generator
#   PEER_AWK               awk script of the awk peer
#                          (default ../shared/bench/peer-per-api.awk next to the repository)
#
# For every size and mode the table shows the median throughput, the largest peak
# resident set size over the runs, and our median time divided by the median time
# of two peers run on the same file in the same invocation: `grep -c "API> "` and
# the awk script. Quintrel writes into a scratch directory inside the cache
# directory; the peers write to /dev/null.

set -euo pipefail
export LC_ALL=C

SCRIPT_DIR="$(cd "$(dirname "$0")" && pwd)"
REPO_ROOT="$(cd "$SCRIPT_DIR/.." && pwd)"
readonly SCRIPT_DIR REPO_ROOT
readonly BUILD_DIR="${1:-$REPO_ROOT/build}"
readonly QUINTREL="$BUILD_DIR/quintrel"
readonly GENERATOR="$BUILD_DIR/bench/trace_generator"
readonly CACHE_DIR="${QUINTREL_BENCH_CACHE:-/var/tmp/quintrel-bench}"
readonly SIZES="${BENCH_SIZES:-200 1024}"
readonly RUNS="${BENCH_RUNS:-5}"
readonly PEER_AWK="${PEER_AWK:-$SCRIPT_DIR/../../shared/bench/peer-per-api.awk}"
readonly SEED=20030806
readonly TIME_BIN=/usr/bin/time

# name|quintrel options
readonly MODES=(
  "TEXT|-s TEXT"
  "HTML|"
  "XML|-s XML"
  "CSV|-d CSV"
  "RAW|-d RAW"
  "rpc-TEXT|-r -s TEXT"
)

die() {
  echo "run_bench: $*" >&2
  exit 1
}

check_setup() {
  [[ $# -le 1 ]] || die "usage: bench/run_bench.sh [BUILD_DIR]"
  [[ -x "$QUINTREL" ]] || die "no quintrel binary at $QUINTREL (build first)"
  [[ -x "$GENERATOR" ]] || die "no trace generator at $GENERATOR (build first)"
  [[ "$RUNS" =~ ^[1-9][0-9]*$ ]] || die "BENCH_RUNS must be a positive integer, not '$RUNS'"
  local size
  for size in $SIZES; do
    [[ "$size" =~ ^[0-9]+([.][0-9]+)?$ ]] || die "bad size '$size' in BENCH_SIZES"
  done
  if [[ ! -x "$TIME_BIN" ]]; then
    echo "warning: $TIME_BIN not found, so peak RSS is not measured" >&2
    echo "         install it with: apt-get install time" >&2
  fi
  HAVE_AWK_PEER=1
  if [[ ! -r "$PEER_AWK" ]]; then
    echo "warning: awk peer script not found: $PEER_AWK" >&2
    echo "         set PEER_AWK to its path; the t/awk column is left empty" >&2
    HAVE_AWK_PEER=0
  fi
}

print_machine() {
  local model memory
  model="$(grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//' || true)"
  memory="$(awk '/^MemTotal:/ { printf "%.1f GB", $2 / 1048576 }' /proc/meminfo)"
  echo "machine:  $(nproc) cpus, ${model:-unknown cpu}, $memory memory"
  echo "kernel:   $(uname -sr)"
  echo "awk:      $(awk -W version 2> /dev/null | head -n1 || awk --version | head -n1)"
  echo "quintrel: $QUINTREL ($(git -C "$REPO_ROOT" rev-parse --short HEAD 2> /dev/null || echo "no commit"))"
  echo "runs:     $RUNS per mode, median reported"
}

# Runs a command once with its standard output sent to /dev/null; sets
# RUN_SECONDS (wall clock) and RUN_KB (peak resident set size, empty without
# /usr/bin/time).
measure() {
  local start end status=0
  RUN_KB=""
  start="${EPOCHREALTIME:-$(date +%s.%N)}"
  if [[ -x "$TIME_BIN" ]]; then
    "$TIME_BIN" -f %M -o "$SCRATCH/rss" "$@" > /dev/null || status=$?
  else
    "$@" > /dev/null || status=$?
  fi
  end="${EPOCHREALTIME:-$(date +%s.%N)}"
  [[ $status -eq 0 ]] || die "exit status $status from: $*"
  RUN_SECONDS="$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.6f", e - s }')"
  if [[ -x "$TIME_BIN" ]]; then
    RUN_KB="$(tail -n1 "$SCRATCH/rss")"
  fi
}

median() {
  sort -g | awk '{ v[NR] = $1 }
    END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Runs a command RUNS times, removing quintrel's output file before each run;
# sets MEDIAN_SECONDS and PEAK_KB (the largest peak over the runs).
bench() {
  local times=() run
  PEAK_KB=0
  for ((run = 0; run < RUNS; run++)); do
    rm -f "$SCRATCH/out"
    measure "$@"
    times+=("$RUN_SECONDS")
    if [[ -z "$RUN_KB" ]]; then
      PEAK_KB=""
    elif ((RUN_KB > PEAK_KB)); then
      PEAK_KB=$RUN_KB
    fi
  done
  MEDIAN_SECONDS="$(printf '%s\n' "${times[@]}" | median)"
}

trace_file() {
  local size="$1" file="$CACHE_DIR/trace-seed$SEED-${1}MB.trc"
  if [[ ! -s "$file" ]]; then
    echo "generating $file ..." >&2
    "$GENERATOR" "$SEED" "$size" "$file.partial" || die "trace generator failed"
    mv "$file.partial" "$file"
  fi
  echo "$file"
}

ratio() {
  awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'
}

row() {
  printf '%-12s %8s %13s %8s %8s\n' "$@"
}

bench_size() {
  local size="$1" trace bytes grep_s awk_s mode name options
  trace="$(trace_file "$size")"
  bytes="$(stat -c %s "$trace")"
  cat "$trace" > /dev/null # read once so that every tool starts from the page cache
  echo
  echo "== $trace ($(mb "$((bytes / 1024))") MB)"
  row mode MB/s "peakRSS(MB)" t/grep t/awk

  bench grep -c "API> " "$trace"
  grep_s="$MEDIAN_SECONDS"
  row "peer grep" "$(mbps "$bytes" "$grep_s")" "$(mb "$PEAK_KB")" - -
  awk_s=0
  if ((HAVE_AWK_PEER)); then
    bench awk -f "$PEER_AWK" "$trace"
    awk_s="$MEDIAN_SECONDS"
    row "peer awk" "$(mbps "$bytes" "$awk_s")" "$(mb "$PEAK_KB")" - -
  fi

  for mode in "${MODES[@]}"; do
    name="${mode%%|*}"
    read -r -a options <<< "${mode#*|}"
    bench "$QUINTREL" "$trace" "$SCRATCH/out" ${options[@]+"${options[@]}"}
    [[ -e "$SCRATCH/out" ]] || die "quintrel wrote no output in mode $name"
    row "$name" "$(mbps "$bytes" "$MEDIAN_SECONDS")" "$(mb "$PEAK_KB")" \
      "$(ratio "$MEDIAN_SECONDS" "$grep_s")" "$(ratio "$MEDIAN_SECONDS" "$awk_s")"
  done
}

mbps() {
  awk -v b="$1" -v s="$2" 'BEGIN { if (s > 0) printf "%.1f", b / 1048576 / s; else print "-" }'
}

mb() {
  awk -v k="$1" 'BEGIN { if (k == "") print "-"; else printf "%.1f", k / 1024 }'
}

main() {
  check_setup "$@"
  mkdir -p "$CACHE_DIR"
  SCRATCH="$(mktemp -d "$CACHE_DIR/run.XXXXXX")"
  trap 'rm -rf "$SCRATCH"' EXIT
  print_machine
  local size
  for size in $SIZES; do
    bench_size "$size"
  done
}

main "$@"
