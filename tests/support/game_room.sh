# Sourced by run_test.sh: whole-game tests wait for room on the machine before they start.
#
# Each whole-game test plays the real program in a window of its own. On a busy machine (a build
# or other work beside the run) games started side by side each get a sliver of a processor and
# run past their time limit. So a game starts only when the processors this run may use have
# room: fewer runnable threads on them than twice their number, or no other game of this run
# playing (so a machine busy with other work still plays its games, one at a time). A game that
# waits spends none of its own time: run_test.sh starts its limit when it starts.

# The processors this process may run on, one number a line.
game_room_cpus() {
  sed -n 's/^Cpus_allowed_list:[[:space:]]*//p' /proc/self/status | tr ',' '\n' |
    awk -F- 'NF == 2 { for (c = $1; c <= $2; c++) print c; next } NF == 1 && $1 != "" { print $1 }'
}

# The mean count of runnable threads on those processors over half a second, the counting
# itself left out.
game_room_busy() {
  local cpus total=0 n
  cpus="$(game_room_cpus | tr '\n' ' ')"
  for _ in 1 2 3 4 5; do
    n="$(ps -eLo stat=,psr= | awk -v cpus="$cpus" '
      BEGIN { split(cpus, list, " "); for (i in list) mine[list[i]] = 1 }
      $1 ~ /^R/ && ($2 in mine) { n++ }
      END { print (n > 0 ? n - 1 : 0) }')"
    total=$((total + n))
    sleep 0.1
  done
  echo $((total / 5))
}

# game_room_has_room BUSY CPUS PLAYING: whether a game may start with BUSY runnable threads on
# CPUS processors and PLAYING games of this run playing.
game_room_has_room() {
  [ "$3" -eq 0 ] || [ $(($1 + 1)) -le $((2 * $2)) ]
}

# game_room_enter ROOM: waits for room, then marks this process (the test's runner) as playing
# in the folder ROOM until it ends. game_room_leave takes the mark back.
game_room_enter() {
  local room="$1" cpus busy playing mark pid lock
  mkdir -p "$room"
  cpus="$(game_room_cpus | wc -l)"
  [ "$cpus" -ge 1 ] || cpus=1
  while :; do
    busy="$(game_room_busy)"
    exec {lock}>"$room/lock"
    flock "$lock"
    playing=0
    for mark in "$room"/game.*; do
      [ -e "$mark" ] || continue
      pid="${mark##*.}"
      if kill -0 "$pid" 2>/dev/null; then
        playing=$((playing + 1))
      else
        rm -f "$mark"
      fi
    done
    if game_room_has_room "$busy" "$cpus" "$playing"; then
      : >"$room/game.$$"
      GAME_ROOM_MARK="$room/game.$$"
      # A game just started has not yet shown in the count: the next one looks a moment later.
      sleep 1
      flock -u "$lock"
      exec {lock}>&-
      return 0
    fi
    flock -u "$lock"
    exec {lock}>&-
    sleep 1
  done
}

game_room_leave() {
  [ -n "${GAME_ROOM_MARK:-}" ] && rm -f "$GAME_ROOM_MARK"
  GAME_ROOM_MARK=""
}
