#!/usr/bin/env bash
# Benchmark of several traces in one run: --merge of copies of the bench
# trace against as many separate runs one after the other, at several
# --jobs; the size and cost of a saved profile; and one run that merges
# many saved profiles.
#
# Usage: bench/merge_bench.sh [BUILD_DIR]
#
#   BUILD_DIR   build tree holding quintrel and bench/trace_generator
#               (default: build/ at the top of the repository)
#
# Environment:
#   BENCH_SIZE             the trace's size in MB (default 200)
#   BENCH_COPIES           copies of it merged (default 8)
#   BENCH_JOBS             the --jobs values to time (default "1 2" and the cores)
#   BENCH_PROFILES         saved profiles merged in one run (default 1000)
#   BENCH_PROFILES_ONLY    1: only the saved profile rows, no --merge of traces
#   BENCH_RUNS             timed runs per row (default 3)
#   QUINTREL_BENCH_CACHE   where the generated trace is kept between runs
#                          (default /var/tmp/quintrel-bench)
#
# Rows give the median wall-clock and CPU time (user + system) of a run and
# its largest peak resident set size; the --merge rows also their time as a
# share of the separate runs', the merge of saved profiles its CPU time per
# profile in ms.

set -euo pipefail
readonly BENCH_NAME=merge_bench
# shellcheck source=bench/bench_lib.sh
source "$(dirname "$0")/bench_lib.sh"
readonly QUINTREL="$BUILD_DIR/quintrel"
readonly SIZE="${BENCH_SIZE:-200}"
readonly COPIES="${BENCH_COPIES:-8}"
readonly JOBS="${BENCH_JOBS:-1 2 $(nproc)}"
readonly PROFILES="${BENCH_PROFILES:-1000}"
readonly PROFILES_ONLY="${BENCH_PROFILES_ONLY:-0}"
readonly RUNS="${BENCH_RUNS:-3}"

row() {
  printf '%-28s %8s %8s %12s %9s\n' "$@"
}

# Runs `command` RUNS times; sets WALL and CPU (medians, seconds) and KB
# (the largest peak resident set size).
time_runs() {
  local run walls=() cpus=() user system wall kb
  KB=0
  for ((run = 0; run < RUNS; run++)); do
    rm -f "$SCRATCH"/out*
    "$TIME_BIN" -f "%e %U %S %M" -o "$SCRATCH/time" bash -c "$1" > /dev/null ||
      die "failed: $1"
    read -r wall user system kb < <(tail -n1 "$SCRATCH/time")
    walls+=("$wall")
    cpus+=("$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')")
    ((kb > KB)) && KB=$kb
  done
  WALL="$(printf '%s\n' "${walls[@]}" | median)"
  CPU="$(printf '%s\n' "${cpus[@]}" | median)"
}

mb() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

main() {
  [[ -x "$QUINTREL" && -x "$GENERATOR" ]] || die "build quintrel and bench/trace_generator first"
  prepare_traces "$SIZE" plain
  SCRATCH="$(mktemp -d "$CACHE_DIR/merge.XXXXXX")"
  trap 'rm -rf "$SCRATCH"' EXIT
  local copy copies=()
  for ((copy = 0; copy < COPIES; copy++)); do
    [[ "$PROFILES_ONLY" == 1 ]] || cp "$TRACE" "$SCRATCH/copy$copy.trc"
    copies+=("$SCRATCH/copy$copy.trc")
  done
  echo "machine: $(nproc) cpus; load $(cut -d' ' -f1-3 /proc/loadavg); $COPIES copies of $TRACE"
  row "" "wall s" "CPU s" "peakRSS(MB)" "t/separate"
  [[ "$PROFILES_ONLY" == 1 ]] || trace_rows "${copies[@]}"
  profile_rows
}

# The --merge rows: the copies of the trace given, one run after another,
# then merged at each --jobs.
trace_rows() {
  local copy copies=("$@") merges=""
  for copy in "${copies[@]:1}"; do merges+=" --merge=$copy"; done
  local separate=""
  for copy in "${copies[@]}"; do separate+="$QUINTREL $copy $SCRATCH/out-\$RANDOM -s JSON; "; done
  time_runs "$separate"
  local base="$WALL"
  row "$COPIES runs one after another" "$WALL" "$CPU" "$(mb "$KB")" 1
  local jobs
  for jobs in $JOBS; do
    time_runs "$QUINTREL ${copies[0]} $SCRATCH/out -s JSON --jobs=$jobs$merges"
    row "--merge x$COPIES --jobs=$jobs" "$WALL" "$CPU" "$(mb "$KB")" \
      "$(awk -v a="$WALL" -v b="$base" 'BEGIN { printf "%.2f", a / b }')"
  done
}

# The saved profile of the trace, and the merge of PROFILES copies of it.
profile_rows() {
  local copy
  time_runs "$QUINTREL $TRACE $SCRATCH/out -s PROFILE"
  $QUINTREL "$TRACE" "$SCRATCH/saved.prof" -s PROFILE
  row "saved profile ($(stat -c %s "$SCRATCH/saved.prof") bytes)" "$WALL" "$CPU" "$(mb "$KB")" -
  local list="$SCRATCH/profiles"
  for ((copy = 1; copy < PROFILES; copy++)); do
    cp "$SCRATCH/saved.prof" "$SCRATCH/saved$copy.prof"
    echo "--merge=$SCRATCH/saved$copy.prof"
  done > "$list"
  time_runs "xargs -a $list $QUINTREL $SCRATCH/saved.prof $SCRATCH/out -s JSON"
  row "merge $PROFILES saved profiles" "$WALL" "$CPU" "$(mb "$KB")" \
    "$(awk -v c="$CPU" -v n="$PROFILES" 'BEGIN { printf "%.1f ms", 1000 * c / n }')"
}

main "$@"
