#!/usr/bin/env bash
# Starts the game from a folder of its own (not the one holding its data) on a virtual display
# of its own with a fresh user folder, watches it show its two logo slides, skips to the front
# end with Escape, takes a screenshot with the printscreen hotkey and checks it against the
# front end's reference picture, closes the window as a player would and expects a clean exit.
# Then it starts the game twice more and takes its window away from under it, once by killing
# its connection to the display and once by destroying the window: each time the game must end
# as after a close, never abort.
#   run_smoke.sh <veldmark> <close_window> <compare_picture>
set -uo pipefail
GAME="$1"
CLOSER="$2"
COMPARE="$3"

# The display is the test runner's own server, which picks a free number itself: two servers
# started at one moment by xvfb-run -a could take the same number, and the game then lost its
# display when the other one ended.
if [ -z "${SMOKE_DISPLAY_READY:-}" ]; then
  export SMOKE_DISPLAY_READY=1 VELDMARK_OWN_DISPLAY=1
  exec timeout -k 10 170 bash "$(dirname "$0")/../support/run_test.sh" bash "$0" "$@"
fi

WORK="$(mktemp -d)"
export XDG_DATA_HOME="$WORK/user"
mkdir -p "$XDG_DATA_HOME"
export ALSOFT_DRIVERS=null MESA_SHADER_CACHE_DISABLE=true VELDMARK_NO_MESSAGEBOX=1 LP_NUM_THREADS=0
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
# System libraries' process-lifetime allocations are not ours (the project's suppressions).
HERE="$(cd "$(dirname "$0")" && pwd)"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$HERE/../support/lsan.supp:print_suppressions=0}"
OUT="$WORK/stdout.txt"
ERR="$WORK/stderr.txt"
LOG="$XDG_DATA_HOME/Veldmark/logfile.txt"
FAILED=0
GAME_PID=""

fail() {
  echo "FAIL: $*"
  FAILED=1
}

finish() {
  if [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; then kill -9 "$GAME_PID" 2>/dev/null; fi
  if [ "$FAILED" -ne 0 ]; then
    echo "--- game output"; tail -n 40 "$OUT" 2>/dev/null
    echo "--- game errors"; tail -n 60 "$ERR" 2>/dev/null
    echo "--- screenshots kept in $WORK"
    exit 1
  fi
  rm -rf "$WORK"
  echo "smoke test passed"
  exit 0
}

# Width of the lit part of the screen (0 when nothing is lit).
lit_width() {
  import -window root "$1" 2>/dev/null || { echo 0; return; }
  local w
  w=$(convert "$1" -colorspace Gray -threshold 12% -trim -format "%w %[fx:maxima]" info: 2>/dev/null)
  case "$w" in
    *" 0") echo 0 ;;
    *) echo "${w%% *}" ;;
  esac
}

# Polls screenshots until the lit width lies in [lo, hi]; false after the deadline.
wait_for_width() {
  local lo=$1 hi=$2 seconds=$3 shot=$4 width
  local deadline=$((SECONDS + seconds))
  while [ $SECONDS -lt $deadline ]; do
    width=$(lit_width "$shot")
    if [ "$width" -ge "$lo" ] && [ "$width" -le "$hi" ]; then return 0; fi
    sleep 0.3
  done
  echo "last lit width: $width"
  return 1
}

# Started from a folder of its own, as a player starts it from anywhere: the game finds its data
# next to its executable.
(cd "$WORK" && exec "$GAME" -windowed -1024) >"$OUT" 2>"$ERR" &
GAME_PID=$!

WID=$(timeout 60 xdotool search --sync --name '^Veldmark$' | head -n 1)
[ -n "$WID" ] || { fail "the game window did not appear"; finish; }

# The presents slide is narrow, the logo slide wide, the front end fills the window.
wait_for_width 60 420 40 "$WORK/slide1.png" || fail "the first logo slide was not shown"
wait_for_width 421 900 30 "$WORK/slide2.png" || fail "the second logo slide was not shown"

xdotool windowfocus --sync "$WID" 2>/dev/null
xdotool key --window "$WID" Escape
wait_for_width 1000 1280 20 "$WORK/frontend.png" || fail "Escape did not lead to the front end"

# The printscreen hotkey (p) saves a picture of the screen into the user folder.
xdotool key --window "$WID" p
for _ in $(seq 1 50); do
  ls "$XDG_DATA_HOME"/Veldmark/screenshots/*.png >/dev/null 2>&1 && break
  sleep 0.2
done
SHOT="$(ls "$XDG_DATA_HOME"/Veldmark/screenshots/*.png 2>/dev/null | head -n 1)"
if [ -z "$SHOT" ]; then
  fail "the printscreen hotkey saved no screenshot"
else
  # The game may still be writing it: wait until its size holds still.
  size=""
  for _ in $(seq 1 25); do
    now=$(stat -c %s "$SHOT" 2>/dev/null)
    [ -n "$now" ] && [ "$now" != 0 ] && [ "$now" = "$size" ] && break
    size=$now
    sleep 0.2
  done
  # What the player sees; the software renderer draws the same pixels every time.
  # The galaxy at the right turns on its own, by real time (farther on a busy machine); the
  # rest of the screen stands still. A missing menu or logo differs by far more.
  "$COMPARE" "$SHOT" frontend 24 24000 || fail "the front end does not look as its reference picture shows"
fi

# Waits up to 30 s for the game to end; EXIT_CODE is its exit code, empty when it did not end.
wait_for_exit() {
  EXIT_CODE=""
  for _ in $(seq 1 150); do
    if ! kill -0 "$GAME_PID" 2>/dev/null; then
      wait "$GAME_PID"
      EXIT_CODE=$?
      return
    fi
    sleep 0.2
  done
}

"$CLOSER" "$WID" || fail "the close request could not be sent"
wait_for_exit
if [ -z "$EXIT_CODE" ]; then
  fail "the game did not end within 30 s of the close request"
else
  GAME_PID=""
  [ "$EXIT_CODE" -eq 0 ] || fail "the game ended with exit code $EXIT_CODE"
fi

grep -q "ERROR: AddressSanitizer\|ERROR: LeakSanitizer\|runtime error:" "$ERR" && fail "the sanitizers reported a fault"

# The log: header, banner, the device, the input.
[ -f "$LOG" ] || { fail "no log file at $LOG"; finish; }
[ "$(sed -n 1p "$LOG")" = "====================================" ] || fail "the log does not start with its header line"
sed -n 2p "$LOG" | grep -q "^LOG: " || fail "the log header has no time line"
grep -q "^======== Orlendt Games - Veldmark ========$" "$LOG" || fail "the log has no banner"
grep -A1 "^    InitDirect3D :  OK!$" "$LOG" | grep -q "^    Graphics: " ||
  fail "the log does not show the graphics device starting, with the driver's line after it"
grep -q "InitDirectInput :  OK!" "$LOG" || fail "the log does not show the input devices starting"
# Found its data from a folder that holds none: nothing it reads was missing.
grep -i "ERROR.*open" "$LOG" && fail "the game did not find its data"
[ -f "$XDG_DATA_HOME/Veldmark/hotkeys.cfg" ] || fail "the player's hotkeys.cfg was not written"
grep -q "printscreen" "$XDG_DATA_HOME/Veldmark/hotkeys.cfg" || fail "the player's hotkeys.cfg lost the shipped bindings"

# The window taken away: xdotool's windowkill cuts the game's connection to the display, its
# windowclose destroys the window (both ask no permission, unlike a close).
for how in windowkill windowclose; do
  (cd "$WORK" && exec "$GAME" -windowed -800) >"$OUT" 2>"$ERR" &
  GAME_PID=$!
  WID=$(timeout 60 xdotool search --sync --name '^Veldmark$' | head -n 1)
  [ -n "$WID" ] || { fail "the game window did not appear again"; finish; }
  wait_for_width 60 420 40 "$WORK/$how.png" || fail "($how) the first logo slide was not shown"
  xdotool "$how" "$WID"
  wait_for_exit
  if [ -z "$EXIT_CODE" ]; then
    fail "($how) the game did not end within 30 s of losing its window"
    finish
  fi
  GAME_PID=""
  [ "$EXIT_CODE" -eq 0 ] || fail "($how) the game ended with exit code $EXIT_CODE"
  grep -q "ERROR: AddressSanitizer\|ERROR: LeakSanitizer\|runtime error:" "$ERR" && fail "($how) the sanitizers reported a fault"
  grep -q "X Error of failed request\|XIO: *fatal" "$ERR" && fail "($how) Xlib ended the game"
  grep -q "^ERROR: the connection to the display was lost; the game ends$\|^ERROR: the game's window was destroyed; the game ends$" "$LOG" ||
    fail "($how) the log does not say why the game ended"
  [ -f "$XDG_DATA_HOME/Veldmark/settings.cfg" ] || fail "($how) the player's settings.cfg is missing"
  [ "$FAILED" -eq 0 ] || finish
done

finish
