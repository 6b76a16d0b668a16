#!/usr/bin/env bash
# Throughput of the trace sources on the 200 MB generated trace: plain, gzip -6
# and zstd at its default level, with the bytes dropped and with a summary
# analysis reading them on the same thread.
#
# Usage: bench/source_bench.sh [BUILD_DIR]
#
# Environment:
#   BENCH_RUNS             runs per row, median reported (default 5)
#   BENCH_ANALYSE          1 to add the rows with the analysis (default 1)
#   QUINTREL_BENCH_CACHE   where the trace and its compressed copies are kept
#                          (default /var/tmp/quintrel-bench)
set -euo pipefail
readonly BENCH_NAME=source_bench
# shellcheck source=bench/bench_lib.sh
source "$(dirname "$0")/bench_lib.sh"
readonly HARNESS="$BUILD_DIR/bench/source_throughput"
readonly RUNS="${BENCH_RUNS:-5}"
readonly ANALYSE="${BENCH_ANALYSE:-1}"

prepare() {
  [[ -x "$HARNESS" ]] || die "no harness at $HARNESS (build first)"
  prepare_traces 200
  cat "$TRACE" "$TRACE.gz" "$TRACE.zst" > /dev/null # start from the page cache
}

# Runs the harness RUNS times and prints one row: medians of MB/s and CPU seconds.
row() {
  local label="$1" rates=() cpus=() line run
  shift
  for ((run = 0; run < RUNS; run++)); do
    line="$("$HARNESS" "$@")"
    rates+=("$(awk '{ print $(NF - 1) }' <<< "$line")")
    cpus+=("$(awk '{ print $6 }' <<< "$line")")
  done
  printf '%-34s %9s %8s\n' "$label" "$(printf '%s\n' "${rates[@]}" | median)" \
    "$(printf '%s\n' "${cpus[@]}" | median)"
}

main() {
  prepare
  echo "machine: $(nproc) cpus, $(grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
  echo "files: $(stat -c %s "$TRACE") plain, $(stat -c %s "$TRACE.gz") gzip -6, $(stat -c %s "$TRACE.zst") zstd"
  echo "runs: $RUNS, medians; MB/s of decompressed output (1 MB = 1048576 bytes)"
  printf '%-34s %9s %8s\n' "stack" "MB/s" "cpu s"
  local modes=(drop)
  [[ "$ANALYSE" == 1 ]] && modes+=(analyse)
  local mode stack extra
  for mode in "${modes[@]}"; do
    extra=()
    [[ "$mode" == analyse ]] && extra=(analyse)
    for stack in "plain:$TRACE" "gzip:$TRACE.gz" "zstd:$TRACE.zst"; do
      row "${stack%%:*} $mode" "${stack%%:*}" "${stack#*:}" "${extra[@]}"
    done
  done
}

main "$@"
