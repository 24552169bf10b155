#!/usr/bin/env bash
# The bench table over a sample program: every counter shows, the program runs in the folder
# given (and finds its data there), a program that fails fails the run after the table, and
# the user files a program writes leave nothing behind, in the temporary folder or at home.
#   run_bench_table.sh BENCH_TABLE_SCRIPT SAMPLE_PROGRAM
set -uo pipefail
TABLE="$1"
SAMPLE="$2"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/build/data"
echo sample >"$WORK/build/data/sample.txt"
FAILING="$WORK/failing_bench"
printf '#!/bin/sh\necho "Check failed: all counters must be present" >&2\nexit 134\n' >"$FAILING"
chmod +x "$FAILING"
problems=0
fail() { echo "FAILED: $*"; problems=$((problems + 1)); }

# The runs see a temporary folder and a home of their own: whatever they leave shows there.
mkdir -p "$WORK/tmp" "$WORK/home"
table() { TMPDIR="$WORK/tmp" HOME="$WORK/home" XDG_DATA_HOME="" bash "$TABLE" "$@"; }

table "$WORK/build" . "$SAMPLE" >"$WORK/table.txt" 2>"$WORK/err.txt"
status=$?
cat "$WORK/table.txt"
[ "$status" -eq 0 ] || fail "the sample alone exits $status: $(cat "$WORK/err.txt")"
grep -q "^CountsBots[/ ].*bots=42" "$WORK/table.txt" || fail "no bots counter"
row="$(grep "^FindsSomething[/ ]" "$WORK/table.txt")"
[[ "$row" == *found=1* && "$row" == *worst_us=12.5* ]] || fail "no found and worst_us counters"
grep -q "^ReadsItsData[/ ]" "$WORK/table.txt" || fail "no row for the benchmark that reads data"
grep -q "skipped" "$WORK/table.txt" && fail "a benchmark did not find its data"
grep -q "^WritesAUserFile[/ ]" "$WORK/table.txt" || fail "no row for the benchmark that writes a user file"

table "$WORK/build" . "$FAILING" "$SAMPLE" >"$WORK/table2.txt" 2>"$WORK/err2.txt"
status=$?
[ "$status" -ne 0 ] || fail "a failing program still exits 0"
grep -q "failing_bench failed" "$WORK/err2.txt" || fail "the failure is not named: $(cat "$WORK/err2.txt")"
grep -q "^CountsBots[/ ]" "$WORK/table2.txt" || fail "the other program's rows are missing after a failure"
# Stopped by hand in the middle of a run, a program leaves nothing behind either.
TMPDIR="$WORK/tmp" HOME="$WORK/home" XDG_DATA_HOME="" "$SAMPLE" --benchmark_filter=WritesAUserFile \
  --benchmark_min_time=60 >/dev/null 2>&1 &
running=$!
for _ in $(seq 100); do [ -n "$(ls -A "$WORK/tmp" "$WORK/home")" ] && break; sleep 0.1; done
sleep 0.2
kill -TERM "$running"
wait "$running"
left="$(cd "$WORK" && find tmp home -mindepth 1 -maxdepth 3)"
[ -z "$left" ] || fail "the runs left user files behind: $left"

if [ "$problems" -eq 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; exit 1; fi
