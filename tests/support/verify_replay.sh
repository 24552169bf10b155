#!/usr/bin/env bash
# Plays a kept replay again in the game itself ("veldmark -replay FILE -verify": no window, no
# device, nothing drawn, as fast as it goes) on a fresh user folder, and passes when the game
# says it played the same game, in its one line and nothing else. A replay the game refuses, or
# one that parts from its game, says how to record it anew.
#   verify_replay.sh <veldmark> <replay file>
set -uo pipefail
GAME="$1"
FILE="$2"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
export XDG_DATA_HOME="$WORK"

started=$SECONDS
"$GAME" -replay "$FILE" -verify >"$WORK/out.txt" 2>&1
status=$?
line="$(grep -m 1 "^replay " "$WORK/out.txt")"
echo "$line"
echo "(played again in $((SECONDS - started)) s)"
anew="If the change means to, record the kept replays anew with VELDMARK_UPDATE_REPLAYS=1 ./test.sh, and say so in the commit."
case $status in
  0)
    if ! grep -q ": the same game, " <<<"$line"; then
      echo "FAIL: the game ended well but did not say it played the same game"
    elif [ "$(wc -l <"$WORK/out.txt")" -ne 1 ]; then
      echo "FAIL: the verification said more than its one line:"
      cat "$WORK/out.txt"
    else
      exit 0
    fi
    ;;
  2)
    echo "FAIL: the game refuses this kept replay: the rules' data (or the replay format) changed since it was recorded. $anew"
    ;;
  *)
    tail -n 40 "$WORK/out.txt"
    echo "FAIL: this kept replay no longer plays its game (exit $status): a change moved it. $anew"
    ;;
esac
exit 1
