#!/bin/sh
# Saves set aside by a profile deletion that could not put them back (or by an older build) hold
# a save stopped half-way: its mark and its old files in .saving/. Meanwhile
# a later save of the same name made a new save folder. When the save screens next read the
# folder, the aside .saving/ is merged into the new folder, the stopped save's mark now stands
# beside the later save, and the settling takes the later save for the stopped save's new files
# and rolls it back: the later save's files are deleted and the old save is back in its place
# (or, when the stop came earlier, a mix of the two).
# Usage: merge_rolls_back_later_save.sh USER_FOLDER NAME OLDER LATER
#   NAME a profile (profiles/NAME.cgs) with two whole saves OLDER and LATER in savefiles/NAME.
#   Leaves: savefiles/NAME/LATER.* (the later save, whole) and savefiles/NAME.deleted/.saving/
#   with LATER.switching ("old .cgs .sav .vis") and LATER.old.* (OLDER's files): the state a save
#   of LATER over OLDER, stopped after its old files stepped aside, then a deletion whose sync and
#   put-back failed, then a save of LATER in that run leave.
# Then in the game on profile NAME: Load Game lists LATER; it loads as OLDER (OLDER's credits),
# and LATER's own files are gone from the disk. Expected: the later save stays as it was saved.
set -e
user=$1; name=$2; older=$3; later=$4
s=$user/savefiles
test -f "$user/profiles/$name.cgs"
for e in cgs sav vis; do test -f "$s/$name/$older.$e"; test -f "$s/$name/$later.$e"; done
mkdir -p "$s/$name.deleted/.saving"
printf 'old .cgs .sav .vis\n' > "$s/$name.deleted/.saving/$later.switching"
for e in cgs sav vis; do mv "$s/$name/$older.$e" "$s/$name.deleted/.saving/$later.old.$e"; done
ls -AR "$s"
