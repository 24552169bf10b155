#!/usr/bin/env bash
# One game on every build: builds the game with clang, and for newer processors
# (-march=x86-64-v3, whose fused multiply-adds a compiler may use) with gcc and with clang, and
# plays every kept replay (tests/data/replays) again in each with no display, as CI does in the
# play and test builds. Each must say it played the same game.
#   scripts/verify_builds.sh [clang] [v3] [clang-v3]      (all three when none is named)
# clang-v3 is the build a fused multiply-add would part first: clang contracts a multiply and an
# add by default where gcc in its strict ISO mode does not.
# Only the game's program and the verifier (the simulation alone) are built, and each plays
# every replay (optimised, without the sanitizers, and as a player's build is, a warning of the
# other compiler does not stop it); they read the play build's data, so what differs between
# the builds is the program alone.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$ROOT"

builds=("$@")
[ ${#builds[@]} -eq 0 ] && builds=(clang v3 clang-v3)
for b in "${builds[@]}"; do
  case "$b" in
    clang|v3|clang-v3) ;;
    *) echo "usage: scripts/verify_builds.sh [clang] [v3] [clang-v3]"; exit 2 ;;
  esac
done

install_packages
[[ " ${builds[*]} " == *" clang"* ]] && install_packages "${VERIFY_PACKAGES[@]}"
build_play

failed=0
for b in "${builds[@]}"; do
  case "$b" in
    clang) flags=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
    v3) flags=(-DCMAKE_C_FLAGS=-march=x86-64-v3 -DCMAKE_CXX_FLAGS=-march=x86-64-v3) ;;
    clang-v3) flags=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_FLAGS=-march=x86-64-v3
      -DCMAKE_CXX_FLAGS=-march=x86-64-v3) ;;
  esac
  dir="build/$b"
  build "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DVELDMARK_SANITIZE=OFF -DVELDMARK_TESTS=OFF \
    -DVELDMARK_WERROR=OFF "${flags[@]}" -- veldmark veldmark-verify
  # The game looks for its data beside its program.
  [ -L "$dir/data" ] || rm -rf "$dir/data"
  ln -sfn "$ROOT/build/play/data" "$dir/data"
  for replay in tests/data/replays/*.replay; do
    echo "== $b: $(basename "$replay")"
    for program in veldmark veldmark-verify; do
      env -u DISPLAY -u WAYLAND_DISPLAY bash tests/support/verify_replay.sh "$dir/$program" "$replay" || failed=1
    done
  done
done
if [ $failed -ne 0 ]; then
  echo "FAIL: a kept replay does not play its game on every build"
  exit 1
fi
echo "Every kept replay plays the same game on: play, ${builds[*]}"
