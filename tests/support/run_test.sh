#!/usr/bin/env bash
# Runs one test program.
#
# With VELDMARK_OWN_DISPLAY=1 (the shell's tests, which play the whole game with the mouse in a
# real window) the program gets an X server of its own: no other test's window comes and goes
# on its display, so the pointer's own events never reach the game between the scripted ones,
# and such tests can run side by side. The server picks a free display itself (-displayfd), so
# servers started at the same moment never race for one number.
#
# The leak checker's tracer now and then crashes after a test has passed (a fault of the
# sanitizer runtime under load, not of the test; it crashes while stopping the driver's
# threads). Only in that case the test runs again, with the leak check off: its own checks and
# the address and behaviour sanitizers still decide.
# On a busy machine a whole-game test (VELDMARK_OWN_DISPLAY=1) waits until there is room for
# it when VELDMARK_GAME_ROOM names a folder the run's games share (game_room.sh).
# VELDMARK_TEST_LIMIT (seconds, a game's VELDMARK_GAME_LIMIT) ends a test that runs longer;
# the time spent waiting for room does not count.
# Every test draws with the software renderer on the calling thread, without a shader cache,
# and plays sound on OpenAL's null output, unless told otherwise.
export MESA_SHADER_CACHE_DISABLE="${MESA_SHADER_CACHE_DISABLE:-true}"
export ALSOFT_DRIVERS="${ALSOFT_DRIVERS:-null}"
export LP_NUM_THREADS="${LP_NUM_THREADS:-0}"

out="$(mktemp)"
server=""
limit="${VELDMARK_TEST_LIMIT:-}"
if [ "${VELDMARK_OWN_DISPLAY:-}" = 1 ]; then
  limit="${VELDMARK_GAME_LIMIT:-$limit}"
  if [ -n "${VELDMARK_GAME_ROOM:-}" ]; then
    source "$(dirname "${BASH_SOURCE[0]}")/game_room.sh"
    game_room_enter "$VELDMARK_GAME_ROOM"
  fi
fi
if [ "${VELDMARK_OWN_DISPLAY:-}" = 1 ] && command -v Xvfb >/dev/null 2>&1; then
  number="$(mktemp)"
  Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$number" >/dev/null 2>&1 &
  server=$!
  for _ in $(seq 200); do
    [ -s "$number" ] && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.05
  done
  if [ -s "$number" ]; then
    export DISPLAY=":$(head -n 1 "$number")"
  else
    echo "(no display of its own could be started; the test runs on ${DISPLAY:-no display})"
  fi
  rm -f "$number"
fi
# A server asked to stop at the moment it is still starting may not hear it: asked again, then
# made to.
stop_server() {
  [ -n "$server" ] || return 0
  for _ in $(seq 40); do
    kill "$server" 2>/dev/null || return 0
    case "$(ps -o stat= -p "$server" 2>/dev/null)" in
      Z*|"") wait "$server" 2>/dev/null; return 0 ;;
    esac
    sleep 0.05
  done
  kill -9 "$server" 2>/dev/null
  wait "$server" 2>/dev/null
}
finish() {
  stop_server
  [ -n "${GAME_ROOM_MARK:-}" ] && game_room_leave
  return 0
}
trap finish EXIT

# A test past its limit is ended (and its children with it), and says so.
run() {
  if [ -n "$limit" ]; then
    timeout -k 10 "$limit" "$@"
    local status=$?
    [ $status -eq 124 ] && echo "(the test ran past its limit of $limit s and was ended)"
    return $status
  fi
  "$@"
}

run "$@" > "$out" 2>&1
status=$?
if [ $status -ne 0 ] && grep -q "LeakSanitizer has encountered a fatal error" "$out" \
   && grep -q "^\[  PASSED  \]" "$out"; then
  echo "(the leak checker crashed after the test passed; running it again without it)"
  ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" run "$@" > "$out" 2>&1
  status=$?
fi
cat "$out"
rm -f "$out"
exit $status
