#!/usr/bin/env bash
# Runs benchmark programs (Google Benchmark) from a folder and prints one table of all their
# results, counters included; exits non-zero when any program failed (after the table).
#   scripts/bench_table.sh FOLDER FILTER PROGRAM...
# FOLDER is where the programs run: a build folder, whose data/ they read. FILTER is a regular
# expression of benchmark names. Needs jq. The drawing benchmarks need a display: the caller
# provides one.
set -uo pipefail
FOLDER="$1"
FILTER="$2"
shift 2

RESULTS="$(mktemp -d)"
trap 'rm -rf "$RESULTS"' EXIT
failed=()
for program in "$@"; do
  name="$(basename "$program")"
  echo "Running $name" >&2
  # The results go to a file of their own: whatever a program prints cannot spoil them.
  if ! (cd "$FOLDER" && "$program" --benchmark_filter="$FILTER" --benchmark_out="$RESULTS/$name.json" \
          --benchmark_out_format=json) >"$RESULTS/$name.out" 2>&1; then
    echo "$name failed: $(tail -n 3 "$RESULTS/$name.out")" >&2
    failed+=("$name")
  fi
done

# One row a benchmark: name, time, cpu, unit, iterations, then its counters as name=value (or
# why it was skipped).
KNOWN='["name","run_name","run_type","repetitions","repetition_index","threads","iterations","real_time",
        "cpu_time","time_unit","family_index","per_family_instance_index","error_occurred","error_message",
        "aggregate_name","aggregate_unit","label"]'
for json in "$RESULTS"/*.json; do
  [ -s "$json" ] || continue
  jq -r --argjson known "$KNOWN" '.benchmarks[] |
    [ .name, (.real_time // 0), (.cpu_time // 0), (.time_unit // ""), (.iterations // 0),
      (if .error_occurred then "skipped: " + (.error_message // "")
       else [to_entries[] | select(.key as $k | $known | index($k) | not)
             | "\(.key)=\(if (.value | type) == "number" then (.value * 1000 | round / 1000) else .value end)"]
            | join(" ") end) ] | @tsv' "$json" >>"$RESULTS/rows.tsv" ||
    { echo "$(basename "$json" .json): unreadable results" >&2; failed+=("$(basename "$json" .json)"); }
done
printf "%-44s %14s %14s %12s  %s\n" "benchmark" "time" "cpu" "iterations" "counters"
printf '%*s\n' 110 '' | tr ' ' -
[ -f "$RESULTS/rows.tsv" ] &&
  awk -F'\t' '{ printf "%-44s %11.3f %-2s %11.3f %-2s %12d  %s\n", $1, $2, $4, $3, $4, $5, $6 }' "$RESULTS/rows.tsv"

if [ ${#failed[@]} -gt 0 ]; then
  echo "failed: ${failed[*]}" >&2
  exit 1
fi
