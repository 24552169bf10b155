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
# The test's output goes out as it comes, so a test that ctest ends at its limit (with its
# display and every other process it started) still shows how far it got.
# Every test draws with the software renderer on the calling thread and plays sound on OpenAL's
# null output, unless told otherwise. The renderer keeps the shaders it compiled in the build
# folder: every whole game compiles the same effects, and compiling them took a quarter of a
# short game's time; each game after the first finds them compiled.
export MESA_SHADER_CACHE_DISABLE="${MESA_SHADER_CACHE_DISABLE:-false}"
export MESA_SHADER_CACHE_DIR="${MESA_SHADER_CACHE_DIR:-$PWD/shader-cache}"
export ALSOFT_DRIVERS="${ALSOFT_DRIVERS:-null}"
export LP_NUM_THREADS="${LP_NUM_THREADS:-0}"

out="$(mktemp)"
server=""
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
trap stop_server EXIT

"$@" 2>&1 | tee "$out"
status=${PIPESTATUS[0]}
if [ $status -ne 0 ] && grep -q "LeakSanitizer has encountered a fatal error" "$out" \
   && grep -q "^\[  PASSED  \]" "$out"; then
  echo "(the leak checker crashed after the test passed; running it again without it)"
  ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" "$@" 2>&1
  status=$?
fi
rm -f "$out"
exit $status
