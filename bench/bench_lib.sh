# shellcheck shell=bash
# Steps the bench scripts share; sourced, not run, with the script's
# arguments. The sourcing script sets BENCH_NAME (for messages) first; this
# sets what every script reads: the build tree (its first argument, by
# default build/ at the top of the repository), the trace generator, the
# cache of generated traces (QUINTREL_BENCH_CACHE, by default
# /var/tmp/quintrel-bench), the generator's seed and the time program.

export LC_ALL=C
SCRIPT_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
REPO_ROOT="$(cd "$SCRIPT_DIR/.." && pwd)"
readonly SCRIPT_DIR REPO_ROOT
readonly BUILD_DIR="${1:-$REPO_ROOT/build}"
readonly GENERATOR="$BUILD_DIR/bench/trace_generator"
readonly CACHE_DIR="${QUINTREL_BENCH_CACHE:-/var/tmp/quintrel-bench}"
readonly SEED=20030806
# shellcheck disable=SC2034  # read by the scripts that time runs
readonly TIME_BIN=/usr/bin/time

die() {
  echo "$BENCH_NAME: $*" >&2
  exit 1
}

median() {
  sort -g | awk '{ v[NR] = $1 }
    END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Makes the trace of `size` MB and, unless the second argument is "plain",
# its gzip -6 and zstd copies when missing, and sets TRACE to its path.
prepare_traces() {
  local size="$1" file="$CACHE_DIR/trace-seed$SEED-${1}MB.trc"
  mkdir -p "$CACHE_DIR"
  if [[ ! -s "$file" ]]; then
    echo "generating $file ..." >&2
    "$GENERATOR" "$SEED" "$size" "$file.partial" || die "trace generator failed"
    mv "$file.partial" "$file"
  fi
  # shellcheck disable=SC2034  # read by the scripts that source this
  TRACE="$file"
  [[ "${2:-}" != plain ]] || return 0
  [[ -s "$file.gz" ]] || { gzip -6 -c "$file" > "$file.gz.partial" && mv "$file.gz.partial" "$file.gz"; }
  [[ -s "$file.zst" ]] || { zstd -q -c "$file" > "$file.zst.partial" && mv "$file.zst.partial" "$file.zst"; }
}
