#!/usr/bin/env bash
# Installs what is missing, builds the data and the tests (with the sanitizers), and runs
# every test. Drawing tests need a display: without one the run goes under xvfb-run.
# Both builds treat a compiler warning as an error, so a new warning fails the run (and CI).
set -euo pipefail
source "$(dirname "$0")/scripts/common.sh"
cd "$ROOT"
install_packages
build_play -DVELDMARK_WERROR=ON
# Line tables are all the sanitizers' reports need to name the function and line of each frame;
# the full debug information costs this build a quarter more compile time and objects of twice
# the size to link.
# The kept replays are verified in both builds: the play build's program is named to the tests.
# The generated data (textures, meshes, sounds, music) is the play build's, copied.
build build/test -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g1 -O1" -DVELDMARK_SANITIZE=ON -DVELDMARK_TESTS=ON \
  -DVELDMARK_WERROR=ON -DVELDMARK_PLAY_PROGRAM="$ROOT/build/play/veldmark" -DVELDMARK_DATA_FROM="$ROOT/build/play" --

export ALSOFT_DRIVERS=null
export SDL_AUDIODRIVER=dummy
export VELDMARK_NO_MESSAGEBOX=1
# A freed block waits in a quarantine of 16 MB before it is used again (a use after free within
# it is caught), and the allocator keeps what it has instead of handing it back to the system:
# with the default 256 MB and periodic returns, each game touched a gigabyte of fresh pages, and
# the page faults took a third of its time.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:quarantine_size_mb=16:allocator_release_to_os_interval_ms=-1
export LSAN_OPTIONS="suppressions=$ROOT/tests/support/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The software renderer draws on the calling thread: its worker threads make the leak checker's
# tracer crash now and then after a test has passed, and one thread keeps pixels deterministic.
export LP_NUM_THREADS=0
# ctest runs one test a processor this run may use, a whole game counting as one
# (tests/CMakeLists.txt), and ends a test at its limit counted from its start: 300 s, 1200 s
# for a whole game.
with_display ctest --test-dir "$ROOT/build/test" --output-on-failure -j "$JOBS" --timeout 300
