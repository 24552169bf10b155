#!/usr/bin/env bash
# Builds the benchmarks optimised (no sanitizers) and runs them all, printing one table.
#   ./bench.sh [filter]     filter: a regular expression of benchmark names (all by default)
# The drawing benchmarks need a display: without one the run goes under xvfb-run. Numbers are
# for comparing one build with another on the same machine; the run fails only when a program
# does (a crash, an abort), never on a time.
set -euo pipefail
source "$(dirname "$0")/scripts/common.sh"
cd "$ROOT"
FILTER="${1:-.}"
install_packages

BENCHES=()
for src in "$ROOT"/tests/bench/*.cpp; do
  BENCHES+=("bench_$(basename "$src" .cpp)")
done
# The data target too: the programs run in the build folder and read its data/, as the tests do.
build build/bench -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELDMARK_SANITIZE=OFF -DVELDMARK_TESTS=ON \
  -DVELDMARK_WERROR=OFF -- data "${BENCHES[@]}"

export MESA_SHADER_CACHE_DISABLE=true
export ALSOFT_DRIVERS=null
export SDL_AUDIODRIVER=dummy
export VELDMARK_NO_MESSAGEBOX=1

# One table over all the programs, with their counters; a program that fails fails the run.
PROGRAMS=()
for bench in "${BENCHES[@]}"; do PROGRAMS+=("$ROOT/build/bench/tests/$bench"); done
with_display bash "$ROOT/scripts/bench_table.sh" "$ROOT/build/bench" "$FILTER" "${PROGRAMS[@]}"
