#!/usr/bin/env bash
# Builds the benchmarks optimised (no sanitizers) and runs them all, printing one table.
#   ./bench.sh [filter]     filter: a regular expression of benchmark names (all by default)
# The drawing benchmarks need a display: without one the run goes under xvfb-run. Numbers are
# for comparing one build with another on the same machine; nothing here passes or fails.
set -euo pipefail
source "$(dirname "$0")/scripts/common.sh"
cd "$ROOT"
FILTER="${1:-.}"
install_packages

BENCHES=()
for src in "$ROOT"/tests/bench/*.cpp; do
  BENCHES+=("bench_$(basename "$src" .cpp)")
done
build build/bench -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELDMARK_SANITIZE=OFF -DVELDMARK_TESTS=ON \
  -DVELDMARK_WERROR=OFF -- "${BENCHES[@]}"

export MESA_SHADER_CACHE_DISABLE=true
export ALSOFT_DRIVERS=null
export SDL_AUDIODRIVER=dummy
export VELDMARK_NO_MESSAGEBOX=1

# One CSV per program (Google Benchmark's own format), then one table over all of them.
RESULTS="$(mktemp -d)"
trap 'rm -rf "$RESULTS"' EXIT
for bench in "${BENCHES[@]}"; do
  echo "Running $bench" >&2
  with_display "$ROOT/build/bench/tests/$bench" --benchmark_filter="$FILTER" --benchmark_format=csv \
    >"$RESULTS/$bench.csv" 2>"$RESULTS/$bench.err" || echo "$bench failed: $(tail -n 3 "$RESULTS/$bench.err")" >&2
done

# The CSV header is "name,iterations,real_time,cpu_time,time_unit,...,error_occurred,error_message".
awk -F, '
  BEGIN { printf "%-44s %14s %14s %12s\n", "benchmark", "time", "cpu", "iterations"; line = sprintf("%86s", ""); gsub(/ /, "-", line); print line }
  FNR == 1 || $1 == "name" { next }
  {
    name = $1; gsub(/"/, "", name)
    if ($9 == "true") { msg = $10; gsub(/"/, "", msg); printf "%-44s %s\n", name, "skipped: " msg; next }
    printf "%-44s %11.3f %-2s %11.3f %-2s %12d\n", name, $3, $5, $4, $5, $2
  }' "$RESULTS"/*.csv
