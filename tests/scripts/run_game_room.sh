#!/usr/bin/env bash
# The room the whole games wait for: a game waits while the run's processors are full and
# another game plays, starts at once when none plays however busy the machine, and its time
# limit counts from its start, not from its wait.
#   run_game_room.sh SUPPORT_FOLDER
set -uo pipefail
SUPPORT="$1"
source "$SUPPORT/game_room.sh"
WORK="$(mktemp -d)"
LOOPS=()
cleanup() {
  for p in "${LOOPS[@]}"; do kill "$p" 2>/dev/null; done
  rm -rf "$WORK"
}
trap cleanup EXIT
problems=0
fail() { echo "FAILED: $*"; problems=$((problems + 1)); }

# The decision: busy threads, processors, games playing -> room or not.
while read -r busy cpus playing want; do
  if game_room_has_room "$busy" "$cpus" "$playing"; then got=room; else got=wait; fi
  [ "$got" = "$want" ] || fail "busy $busy on $cpus processors with $playing playing: $got, not $want"
done <<'TABLE'
0 2 1 room
3 2 1 room
4 2 1 wait
40 8 0 room
15 8 3 room
16 8 3 wait
0 1 0 room
TABLE

# One processor of ours, kept full by three loops beside the test.
cpu="$(game_room_cpus | head -n 1)"
for _ in 1 2 3; do
  taskset -c "$cpu" sh -c 'while :; do :; done' &
  LOOPS+=($!)
done
sleep 0.5
pinned() { taskset -c "$cpu" bash -c "source '$SUPPORT/game_room.sh'; $1"; }
busy="$(pinned game_room_busy)"
[ "$busy" -ge 3 ] || fail "three loops on processor $cpu counted as $busy runnable threads"

# No game playing: a busy machine still starts one at once.
start=$SECONDS
pinned "game_room_enter '$WORK/room'; game_room_leave"
[ $((SECONDS - start)) -le 4 ] || fail "a game with none playing waited $((SECONDS - start)) s"

# Another game playing on the full processor: this one waits until it is over.
sleep 4 &
other=$!
: >"$WORK/room/game.$other"
start=$SECONDS
pinned "game_room_enter '$WORK/room'; game_room_leave"
waited=$((SECONDS - start))
[ "$waited" -ge 3 ] || fail "a game started after $waited s beside a game playing on a full processor"
[ -e "$WORK/room/game.$other" ] && fail "the mark of a game that ended was kept"

# Through the runner: the wait is not counted in the limit, the limit ends a longer test.
runner() {
  taskset -c "$cpu" env VELDMARK_OWN_DISPLAY=1 VELDMARK_GAME_ROOM="$WORK/room" VELDMARK_GAME_LIMIT="$1" \
    bash "$SUPPORT/run_test.sh" "${@:2}"
}
sleep 4 &
other=$!
: >"$WORK/room/game.$other"
out="$(runner 3 sleep 1)" || fail "a game of 1 s with a limit of 3 s after a wait of 4 s failed: $out"
out="$(runner 1 sleep 5)"
status=$?
[ $status -eq 124 ] || fail "a game past its limit exits $status"
[[ "$out" == *"ran past its limit of 1 s"* ]] || fail "the ended game does not say why: $out"
ls "$WORK/room"/game.* >/dev/null 2>&1 && fail "a finished game left its mark: $(ls "$WORK/room")"

[ "$problems" -eq 0 ] && echo "game room: all cases passed"
exit $((problems > 0))
