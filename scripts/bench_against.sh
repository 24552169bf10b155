#!/usr/bin/env bash
# The world's figures of this tree beside those of an older commit, in one run, as one table:
#   scripts/bench_against.sh [COMMIT]        (954f5aa by default)
#
# - the world's instructions per second of play, counted by callgrind with the counting on for
#   GameMechanics::Update() alone, over the 600 updates (ten seconds of play) of the full level,
#   the walled-in level and the skirmish of tests/bench/LevelStartBench.cpp;
# - the skirmish's median and heaviest tick, its own CPU time on one core (CORE, 7 by default);
# - the drawing's pose work in a frame with the skirmish's armies in view, counted over 600
#   frames with the counting on for PoseTheUnitsInView() alone.
# Instruction counts decide on a shared machine; the times are there for the tick's goals.
#
# COMMIT's benchmarks are built in a worktree of their own (OLD_TREE, ../wt-old beside this tree
# by default), with the same flags as ./bench.sh. Where scripts/bench_against/COMMIT.patch exists
# it is applied there first: it gives that tree what its benchmark lacks (the tick times kept
# apart, the pose frame). The run fails only when a program does, never on a figure.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$ROOT"
COMMIT="${1:-954f5aa}"
OLD_TREE="${OLD_TREE:-$(dirname "$ROOT")/wt-old}"
CORE="${CORE:-7}"
OUT="$ROOT/build/against"
install_packages
install_packages valgrind

if [ ! -d "$OLD_TREE" ]; then
  git -C "$ROOT" worktree add --detach "$OLD_TREE" "$COMMIT"
fi
[ "$(git -C "$OLD_TREE" rev-parse HEAD)" = "$(git -C "$ROOT" rev-parse "$COMMIT^{commit}")" ] ||
  { echo "$OLD_TREE is not at $COMMIT"; exit 1; }
PATCH="$ROOT/scripts/bench_against/$COMMIT.patch"
if [ -f "$PATCH" ] && git -C "$OLD_TREE" apply --check "$PATCH" 2>/dev/null; then
  git -C "$OLD_TREE" apply "$PATCH"
fi

bench_build() {
  (cd "$1" && source scripts/common.sh && build build/bench -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELDMARK_SANITIZE=OFF -DVELDMARK_TESTS=ON -DVELDMARK_WERROR=OFF -- data bench_LevelStartBench)
}
bench_build "$OLD_TREE"
bench_build "$ROOT"

export MESA_SHADER_CACHE_DISABLE=true ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy VELDMARK_NO_MESSAGEBOX=1
mkdir -p "$OUT"
rm -f "$OUT"/*.out "$OUT"/*.json

# count TREE NAME BENCHMARK FUNCTION: callgrind's count of the instructions under FUNCTION.
count() {
  local tree="$1" name="$2" bench="$3" function="$4"
  (cd "$tree/build/bench" && valgrind --tool=callgrind --collect-atstart=no --toggle-collect="$function" \
    --callgrind-out-file="$OUT/$name.out" tests/bench_LevelStartBench --benchmark_filter="^$bench(/|\$)" \
    > "$OUT/$name.log" 2>&1) || { cat "$OUT/$name.log"; return 1; }
}

# Four programs at a time, one tree after the other.
run_counts() {
  local failed=0
  for tree in old new; do
    local dir="$ROOT" pids=()
    [ "$tree" = old ] && dir="$OLD_TREE"
    count "$dir" "$tree.full" OneUpdateOfAFullLevel 'GameMechanics::Update()' & pids+=($!)
    count "$dir" "$tree.walled" OneUpdateWithBotsOrderedOntoAWalledInSpot 'GameMechanics::Update()' & pids+=($!)
    count "$dir" "$tree.skirmish" OneUpdateOfASkirmish 'GameMechanics::Update()' & pids+=($!)
    count "$dir" "$tree.pose" PoseTheUnitsInViewForAFrame '*PoseTheUnitsInView(*' & pids+=($!)
    for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
  done
  return $failed
}

# The tick times on one core, one program at a time.
run_times() {
  for tree in old new; do
    local dir="$ROOT"
    [ "$tree" = old ] && dir="$OLD_TREE"
    (cd "$dir/build/bench" && taskset -c "$CORE" tests/bench_LevelStartBench \
      --benchmark_filter='^OneUpdateOfASkirmish/' --benchmark_out="$OUT/$tree.times.json" \
      --benchmark_out_format=json > "$OUT/$tree.times.log" 2>&1)
  done
}

with_display bash -c "$(declare -f count run_counts); OUT='$OUT' ROOT='$ROOT' OLD_TREE='$OLD_TREE'; run_counts"
with_display bash -c "$(declare -f run_times); OUT='$OUT' ROOT='$ROOT' OLD_TREE='$OLD_TREE' CORE='$CORE'; run_times"

python3 - "$OUT" "$COMMIT" "$(git -C "$ROOT" rev-parse --short HEAD)" <<'EOF'
import json, sys
out, old_name, new_name = sys.argv[1:]

def instructions(name):
    with open(f"{out}/{name}.out") as f:
        for line in f:
            if line.startswith("summary:") or line.startswith("totals:"):
                return int(line.split()[1])
    return 0

def counter(tree, key):
    with open(f"{out}/{tree}.times.json") as f:
        runs = json.load(f)["benchmarks"]
    return runs[0].get(key) if runs else None

rows = []
goals = []
SECONDS_OF_PLAY = 10.0  # 600 updates at sixty a second
for label, name in (("full level", "full"), ("walled-in level", "walled"), ("skirmish", "skirmish")):
    old, new = instructions(f"old.{name}") / SECONDS_OF_PLAY, instructions(f"new.{name}") / SECONDS_OF_PLAY
    rows.append((f"world's instructions per second of play: {label}", f"{old / 1e6:.1f} M", f"{new / 1e6:.1f} M", new / old if old else 0))
    goals.append((f"{label}: at most {old_name}'s", new <= old))
for key, label, goal in (("tick_median_ms", "median", 0.5), ("tick_worst_ms", "heaviest", 2.0)):
    old, new = counter("old", key), counter("new", key)
    rows.append((f"skirmish's {label} tick, one core (ms)", f"{old:.3f}" if old else "-", f"{new:.3f}" if new else "-",
                 new / old if old and new else 0))
    goals.append((f"skirmish's {label} tick at most {goal} ms", new is not None and new <= goal))
old, new = instructions("old.pose") / 600, instructions("new.pose") / 600
rows.append(("the drawing's pose work a frame, skirmish in view (instructions)", f"{old / 1e3:.1f} k", f"{new / 1e3:.1f} k", new / old if old else 0))
goals.append((f"pose work at most 10 x {old_name}'s", old > 0 and new <= 10 * old))
agents = (counter("old", "agents"), counter("new", "agents"))

width = max(len(r[0]) for r in rows)
print(f"\n{'figure':<{width}} | {old_name:>10} | {new_name:>10} | new / old")
print(f"{'-' * width}-|-{'-' * 10}-|-{'-' * 10}-|----------")
for figure, old, new, ratio in rows:
    print(f"{figure:<{width}} | {old:>10} | {new:>10} | {ratio:.2f}")
if all(agents):
    print(f"\n(the skirmish stages as many units as the level has room for: {agents[0]:.0f} in {old_name}, {agents[1]:.0f} here)")
for goal, held in goals:
    print(f"  {'holds' if held else 'MISSED'}: {goal}")
EOF
