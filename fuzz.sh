#!/usr/bin/env bash
# Builds one fuzz target (clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer) in
# build/fuzz and runs it for the given time:   ./fuzz.sh TARGET SECONDS
# Without arguments it lists the targets. Seeds come from the shipped data (built first) and the
# damaged files the tests replay; what the fuzzer learns stays in build/fuzz/corpus/TARGET, and
# any input that crashes, hangs or trips a sanitizer is written to build/fuzz/crashes/TARGET/.
set -euo pipefail
source "$(dirname "$0")/scripts/common.sh"
cd "$ROOT"

TARGETS=(package config hotkeys strings script wave ogg dds image effect mesh anim particle scene profile missions
  missionobjects growth visited replay)
DATA_DIR="$ROOT/build/play/data"
BAD_FILES="$ROOT/tests/data/bad-files"

usage() {
  echo "usage: ./fuzz.sh TARGET SECONDS"
  echo "targets: ${TARGETS[*]}"
}
if [ $# -ne 2 ]; then usage; exit 2; fi
target="$1"
seconds="$2"
if [[ ! " ${TARGETS[*]} " == *" $target "* ]] || ! [[ "$seconds" =~ ^[0-9]+$ ]]; then usage; exit 2; fi

install_packages
install_packages "${FUZZ_PACKAGES[@]}"
build_play
build build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link" -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" \
  -DVELDMARK_SANITIZE=ON -DVELDMARK_TESTS=OFF -DVELDMARK_FUZZ=ON -- "fuzz_$target" fuzz_seeds

seeds="$ROOT/build/fuzz/seeds"
corpus="$ROOT/build/fuzz/corpus/$target"
crashes="$ROOT/build/fuzz/crashes/$target"
rm -rf "$seeds"
mkdir -p "$seeds/$target" "$corpus" "$crashes"
ASAN_OPTIONS=detect_leaks=0 "$ROOT/build/fuzz/fuzz/fuzz_seeds" "$DATA_DIR" "$BAD_FILES" "$seeds"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS="suppressions=$ROOT/fuzz/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export MESA_SHADER_CACHE_DISABLE=true
if command -v llvm-symbolizer >/dev/null; then export ASAN_SYMBOLIZER_PATH="$(command -v llvm-symbolizer)"; fi
"$ROOT/build/fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
  -close_fd_mask=1 -artifact_prefix="$crashes/" -print_final_stats=1 "$corpus" "$seeds/$target"
