#!/usr/bin/env bash
# Leaves the game idle on its front end for a while and reports the frames it drew per second
# and the processor time it took. Not a test: numbers for a person to read, say to see that
# the frames are paced to the display and what an idle game costs. Runs on the display there
# is, or on a virtual one (Xvfb) when there is none.
#   scripts/measure_idle.sh [seconds] [veldmark]
# Builds the optimised game first when no program is named.
set -euo pipefail
source "$(dirname "$0")/common.sh"
SECONDS_IDLE="${1:-10}"
GAME="${2:-}"
if [ -z "$GAME" ]; then
  (cd "$ROOT" && build_play >/dev/null)
  GAME="$ROOT/build/play/veldmark"
fi

if [ -z "${MEASURE_DISPLAY_READY:-}" ]; then
  export MEASURE_DISPLAY_READY=1
  cd "$ROOT"
  with_display bash "$0" "$SECONDS_IDLE" "$GAME"
  exit $?
fi

WORK="$(mktemp -d)"
GAME_PID=""
cleanup() {
  if [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; then kill -9 "$GAME_PID" 2>/dev/null || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT
export XDG_DATA_HOME="$WORK/data" VELDMARK_NO_MESSAGEBOX=1 ALSOFT_DRIVERS=null MESA_SHADER_CACHE_DISABLE=true

# Processor ticks (user and system) the process has used so far.
cpu_ticks() {
  awk '{ print $14 + $15 }' "/proc/$1/stat"
}

"$GAME" -windowed -1024 >"$WORK/out.txt" 2>&1 &
GAME_PID=$!
WID=$(timeout 60 xdotool search --sync --name '^Veldmark$' | head -n 1)
[ -n "$WID" ] || { echo "the game window did not appear"; tail -n 20 "$WORK/out.txt"; exit 1; }
# Past the logo slides to the front end, then a moment to settle.
sleep 1
xdotool key --window "$WID" Escape
sleep 2

start_ticks=$(cpu_ticks "$GAME_PID")
start_time=$(date +%s.%N)
sleep "$SECONDS_IDLE"
end_ticks=$(cpu_ticks "$GAME_PID")
end_time=$(date +%s.%N)
# SDL turns the terminate signal into a quit: the game ends as after a close and logs its frames.
kill -TERM "$GAME_PID"
wait "$GAME_PID" || true
GAME_PID=""

HZ=$(getconf CLK_TCK)
awk -v t0="$start_time" -v t1="$end_time" -v c0="$start_ticks" -v c1="$end_ticks" -v hz="$HZ" \
  'BEGIN { printf "processor use while idle: %.1f%% of one core over %.1f s\n", (c1 - c0) / hz / (t1 - t0) * 100, t1 - t0 }'
grep "frames are paced to" "$WORK/out.txt" || echo "frames are not paced by the game (the driver waits for the refresh)"
grep "^Main loop: " "$WORK/out.txt" || { echo "the game did not report its frames"; tail -n 20 "$WORK/out.txt"; exit 1; }
