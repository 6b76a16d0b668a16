#!/usr/bin/env bash
# Throughput benchmark of quintrel on large generated traces, side by side
# with an awk script that sums the time per API, the way a person would.
#
# Usage: bench/run_bench.sh [BUILD_DIR]
#
#   BUILD_DIR   build tree holding quintrel and bench/trace_generator
#               (default: build/ at the top of the repository)
#
# Environment:
#   BENCH_SIZES            trace sizes in MB, 1 MB = 1048576 bytes (default "200 1024")
#   BENCH_RUNS             timed runs per mode (default 5)
#   BENCH_MODES            the modes to run, by name (default: all of them)
#   QUINTREL_BENCH_CACHE   where the generated traces are kept between runs
#                          (default /var/tmp/quintrel-bench); a trace and its gzip and
#                          zstd copies are made only when missing
#   PEER_AWK               the awk peer's script
#                          (default ../shared/bench/peer-per-api.awk next to the repository)
#
# Each run of a mode is paired with a run of the awk peer on the same file,
# one after the other, so that both see the same load. The table shows per
# mode the median wall-clock throughput, the median throughput in CPU time
# (user + system, the steadier figure on a shared machine), the largest peak
# resident set size, and the median of the paired ratios of quintrel's time
# to the peer's (below 1 is faster than the peer).

set -euo pipefail
readonly BENCH_NAME=run_bench
# shellcheck source=bench/bench_lib.sh
source "$(dirname "$0")/bench_lib.sh"
readonly QUINTREL="$BUILD_DIR/quintrel"
readonly SIZES="${BENCH_SIZES:-200 1024}"
readonly RUNS="${BENCH_RUNS:-5}"
readonly PEER_AWK="${PEER_AWK:-$SCRIPT_DIR/../../shared/bench/peer-per-api.awk}"

# name|trace suffix|quintrel options ("|" pipes the console into cat)
readonly ALL_MODES=(
  "TEXT||-s TEXT"
  "HTML||"
  "XML||-s XML"
  "JSON||-s JSON"
  "DIGEST||-s DIGEST"
  "DASHBOARD||-s DASHBOARD"
  "CSV||-d CSV"
  "CSV-pipe||-d CSV |"
  "JSONL||-d JSONL"
  "RAW||-d RAW"
  "rpc-TEXT||-r -s TEXT"
  "TEXT.gz|.gz|-s TEXT"
  "TEXT.zst|.zst|-s TEXT"
)

check_setup() {
  [[ $# -le 1 ]] || die "usage: bench/run_bench.sh [BUILD_DIR]"
  [[ -x "$QUINTREL" ]] || die "no quintrel binary at $QUINTREL (build first)"
  [[ -x "$GENERATOR" ]] || die "no trace generator at $GENERATOR (build first)"
  [[ -x "$TIME_BIN" ]] || die "$TIME_BIN not found (apt-get install time)"
  [[ -r "$PEER_AWK" ]] || die "awk peer script not found: $PEER_AWK (set PEER_AWK)"
  [[ "$RUNS" =~ ^[1-9][0-9]*$ ]] || die "BENCH_RUNS must be a positive integer, not '$RUNS'"
  local size
  for size in $SIZES; do
    [[ "$size" =~ ^[0-9]+([.][0-9]+)?$ ]] || die "bad size '$size' in BENCH_SIZES"
  done
}

print_machine() {
  local model memory
  model="$(grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//' || true)"
  memory="$(awk '/^MemTotal:/ { printf "%.1f GB", $2 / 1048576 }' /proc/meminfo)"
  echo "machine:  $(nproc) cpus, ${model:-unknown cpu}, $memory memory"
  echo "kernel:   $(uname -sr)"
  echo "load:     $(cut -d' ' -f1-3 /proc/loadavg) at the start"
  echo "awk:      $(awk -W version 2> /dev/null | head -n1 || awk --version | head -n1)"
  echo "quintrel: $QUINTREL ($(git -C "$REPO_ROOT" rev-parse --short HEAD 2> /dev/null || echo "no commit"))"
  echo "runs:     $RUNS per mode, each paired with a run of the awk peer; medians"
}

# Runs a command once; sets RUN_WALL and RUN_CPU (seconds) and RUN_KB (peak
# resident set size). With PIPE set its standard output goes through cat.
measure() {
  local status=0
  if [[ -n "${PIPE:-}" ]]; then
    "$TIME_BIN" -f "%e %U %S %M" -o "$SCRATCH/time" "$@" | cat > /dev/null || status=$?
  else
    "$TIME_BIN" -f "%e %U %S %M" -o "$SCRATCH/time" "$@" > /dev/null || status=$?
  fi
  [[ $status -eq 0 ]] || die "exit status $status from: $*"
  read -r RUN_WALL user system RUN_KB < <(tail -n1 "$SCRATCH/time")
  RUN_CPU="$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.3f", u + s }')"
}


# Runs one mode RUNS times, each after a run of the peer; prints its row.
bench_mode() {
  local name="$1" suffix="$2" options="$3" bytes="$4" run walls=() cpus=() ratios=() peak=0
  local output="$SCRATCH/out"
  PIPE=""
  if [[ "$options" == *"|" ]]; then
    PIPE=1
    options="${options%|}"
    output=CONSOLE
  fi
  local args=()
  read -r -a args <<< "$options"
  for ((run = 0; run < RUNS; run++)); do
    PIPE="" measure awk -f "$PEER_AWK" "$TRACE"
    local peer="$RUN_WALL"
    rm -f "$SCRATCH/out"
    measure "$QUINTREL" "$TRACE$suffix" "$output" ${args[@]+"${args[@]}"}
    walls+=("$RUN_WALL")
    cpus+=("$RUN_CPU")
    ratios+=("$(awk -v a="$RUN_WALL" -v b="$peer" 'BEGIN { printf "%.3f", a / b }')")
    ((RUN_KB > peak)) && peak=$RUN_KB
  done
  row "$name" "$(mbps "$bytes" "$(printf '%s\n' "${walls[@]}" | median)")" \
    "$(mbps "$bytes" "$(printf '%s\n' "${cpus[@]}" | median)")" \
    "$(awk -v k="$peak" 'BEGIN { printf "%.1f", k / 1024 }')" \
    "$(printf '%s\n' "${ratios[@]}" | median | awk '{ printf "%.2f", $1 }')"
}

row() {
  printf '%-12s %9s %9s %12s %8s\n' "$@"
}

mbps() {
  awk -v b="$1" -v s="$2" 'BEGIN { if (s > 0) printf "%.1f", b / 1048576 / s; else print "-" }'
}

bench_size() {
  local bytes mode name suffix options
  prepare_traces "$1"
  bytes="$(stat -c %s "$TRACE")"
  cat "$TRACE" "$TRACE.gz" "$TRACE.zst" > /dev/null  # every tool starts from the page cache
  echo
  echo "== $TRACE ($(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1048576 }') MB)"
  row mode "MB/s" "CPU MB/s" "peakRSS(MB)" "t/awk"
  for ((run = 0; run < RUNS; run++)); do measure awk -f "$PEER_AWK" "$TRACE"; done
  row "peer awk" "$(mbps "$bytes" "$RUN_WALL")" "$(mbps "$bytes" "$RUN_CPU")" \
    "$(awk -v k="$RUN_KB" 'BEGIN { printf "%.1f", k / 1024 }')" -
  for mode in "${ALL_MODES[@]}"; do
    IFS='|' read -r name suffix options <<< "$mode"
    if [[ "$mode" == *"|" ]]; then options="$options|"; fi
    if [[ -n "${BENCH_MODES:-}" && " $BENCH_MODES " != *" $name "* ]]; then continue; fi
    bench_mode "$name" "$suffix" "$options" "$bytes"
  done
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
