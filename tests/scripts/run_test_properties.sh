#!/usr/bin/env bash
# What ctest knows of the test programs' tests: every whole game (test_app, one test each) gets a
# display of its own, one processor, the longer limit and an early start; every other program
# runs in shards that share the run's display, each naming its shard to gtest, and take ctest's
# default limit; the pinned level's six rows (five machines, and one program that plays it
# twice) are six tests.
#   run_test_properties.sh CTEST BUILD_FOLDER
set -uo pipefail
json="$("$1" --test-dir "$2" --show-only=json-v1)" || { echo "FAILED: ctest cannot list the tests"; exit 1; }
problems="$(jq -r '
  def prop($n): [.properties[]? | select(.name == $n) | .value][0];
  def program: (.command[1] // "") | split("/") | last;
  [.tests[] | select(((.command[0] // "") | endswith("run_test.sh")))] as $discovered
  | ($discovered | map(select(program == "test_app"))) as $games
  | (if ($games | length) == 0 then "no whole-game tests were found" else empty end),
    (if ($discovered | length) == ($games | length) then "no other test programs were found" else empty end),
    ($games[] | select(prop("ENVIRONMENT") != ["VELDMARK_OWN_DISPLAY=1"] or (prop("PROCESSORS") // 1) != 1
                       or prop("TIMEOUT") != 1200 or prop("COST") != 1000)
     | "the game \(.name) has \([.properties[]? | "\(.name)=\(.value)"] | join(", "))"),
    ($discovered[] | select(program != "test_app")
     | select((prop("ENVIRONMENT") // [])[0] != "VELDMARK_OWN_DISPLAY=0"
              or ([prop("ENVIRONMENT")[]? | select(startswith("GTEST_SHARD_INDEX="))] | length) != 1
              or (prop("PROCESSORS") // 1) != 1 or prop("TIMEOUT") != null)
     | "the test \(.name) has \([.properties[]? | "\(.name)=\(.value)"] | join(", "))"),
    ([$games[] | select(.name | test("FirstMissionLevel\\.ALevelPlaysTheSame"))] | length
     | if . != 6 then "the pinned level is played in \(.) tests, not six" else empty end)
  | "FAILED: " + .' <<<"$json")" || { echo "FAILED: the list cannot be read"; exit 1; }
[ -z "$problems" ] && { echo "test properties: every test program's tests have theirs"; exit 0; }
echo "$problems" | head -n 20
exit 1
