#!/usr/bin/env bash
# Starts the game where there is no display: with DISPLAY unset, once letting SDL fall back to
# the drivers it has without a screen, once with the video driver forced to "dummy", once to a
# driver that does not exist. Each time the game must end at once with a non-zero exit code and
# say on the terminal that it needs a display, instead of running unseen.
#   run_no_display.sh <veldmark>
set -uo pipefail
GAME="$1"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
export XDG_DATA_HOME="$WORK/data"
export ALSOFT_DRIVERS=null MESA_SHADER_CACHE_DISABLE=true VELDMARK_NO_MESSAGEBOX=1
HERE="$(cd "$(dirname "$0")" && pwd)"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$HERE/../support/lsan.supp:print_suppressions=0}"
FAILED=0

for driver in "" dummy none; do
  what="video driver ${driver:-chosen by SDL}"
  if [ -n "$driver" ]; then
    env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER="$driver" timeout -k 5 60 "$GAME" -windowed >"$WORK/out.txt" 2>&1
  else
    env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout -k 5 60 "$GAME" -windowed >"$WORK/out.txt" 2>&1
  fi
  code=$?
  if [ $code -eq 124 ] || [ $code -eq 137 ]; then
    echo "FAIL ($what): the game kept running without a display"
    FAILED=1
  elif [ $code -eq 0 ]; then
    echo "FAIL ($what): the game ended with exit code 0"
    FAILED=1
  fi
  if ! grep -q "^ERROR: Veldmark needs a display to draw on, and there is none (DISPLAY is not set)" "$WORK/out.txt"; then
    echo "FAIL ($what): no message about the missing display"
    FAILED=1
  fi
  if grep -q "ERROR: AddressSanitizer\|ERROR: LeakSanitizer\|runtime error:" "$WORK/out.txt"; then
    echo "FAIL ($what): the sanitizers reported a fault"
    FAILED=1
  fi
  if [ $FAILED -ne 0 ]; then
    echo "--- output"; tail -n 40 "$WORK/out.txt"
    exit 1
  fi
done
echo "no-display test passed"
