#!/usr/bin/env bash
# Starts a copy of the game that has no data beside it, from a folder that holds none either:
# the game must end at once with a non-zero exit code and one message naming both places it
# looked, instead of a cascade of errors over a black screen.
#   run_no_data.sh <veldmark>
set -uo pipefail
GAME="$1"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/program" "$WORK/started-here" "$WORK/user"
cp "$GAME" "$WORK/program/veldmark"
export XDG_DATA_HOME="$WORK/user" ALSOFT_DRIVERS=null MESA_SHADER_CACHE_DISABLE=true VELDMARK_NO_MESSAGEBOX=1
HERE="$(cd "$(dirname "$0")" && pwd)"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$HERE/../support/lsan.supp:print_suppressions=0}"

(cd "$WORK/started-here" && exec timeout -k 5 60 "$WORK/program/veldmark" -windowed) >"$WORK/out.txt" 2>&1
code=$?
FAILED=0
fail() {
  echo "FAIL: $*"
  FAILED=1
}
[ $code -ne 0 ] || fail "the game ended with exit code 0"
[ $code -ne 124 ] && [ $code -ne 137 ] || fail "the game kept running without its data"
expected="ERROR: The game's data was not found. It looked for a folder \"data\" beside the program, in $WORK/program, and in the folder it was started in, $WORK/started-here. ./play.sh builds the game with its data."
grep -qxF "$expected" "$WORK/out.txt" || fail "no message naming where the game looked"
[ "$(grep -c "ERROR" "$WORK/out.txt")" -le 2 ] || fail "more than the one message (and the start-up's own line)"
grep -q "InitDirect3D" "$WORK/out.txt" && fail "the game went on to make its window"
grep -q "ERROR: AddressSanitizer\|ERROR: LeakSanitizer\|runtime error:" "$WORK/out.txt" && fail "the sanitizers reported a fault"
if [ $FAILED -ne 0 ]; then
  echo "--- expected: $expected"
  echo "--- output"; tail -n 40 "$WORK/out.txt"
  exit 1
fi
echo "no-data test passed"
