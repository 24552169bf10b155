# Shared by play.sh and test.sh: install what is missing, configure and build.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

PACKAGES=(
  build-essential cmake pkg-config ccache lld
  libsdl2-dev libx11-dev libepoxy-dev libopenal-dev libvorbis-dev libfreetype-dev libstb-dev
  fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils imagemagick sox vorbis-tools jq
)

# Only for fuzz.sh: clang with libFuzzer and the symbolizer for its reports.
FUZZ_PACKAGES=(clang libclang-rt-dev llvm)

# Only for scripts/verify_builds.sh: the second compiler the kept replays are played on.
VERIFY_PACKAGES=(clang)

# install_packages [PACKAGE...]: the given packages, or the PACKAGES above.
install_packages() {
  local wanted=("$@")
  [ ${#wanted[@]} -eq 0 ] && wanted=("${PACKAGES[@]}")
  local missing=()
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

# build DIR CMAKE_ARGS... -- TARGETS...
build() {
  local dir="$1"; shift
  local args=() targets=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do args+=("$1"); shift; done
  [ "${1:-}" = "--" ] && shift
  targets=("$@")
  mkdir -p "$ROOT/$dir"
  cmake -S "$ROOT" -B "$ROOT/$dir" "${args[@]}" > "$ROOT/$dir.configure.log" 2>&1 || { cat "$ROOT/$dir.configure.log"; return 1; }
  local t=()
  for x in "${targets[@]}"; do t+=(--target "$x"); done
  cmake --build "$ROOT/$dir" -j "$JOBS" "${t[@]}"
}

# The optimised build: the game and its data folder (build/play/data: the hand-written data
# with the packages and music made by our content tools), where the game looks for it.
# Warnings do not stop it unless the caller asks (test.sh passes -DVELDMARK_WERROR=ON after
# the defaults). Optimised as RelWithDebInfo is, without its debug information: the code is the
# same, and the build takes a sixth less time (the test build keeps line tables for the
# sanitizers' reports).
build_play() {
  build build/play -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DVELDMARK_SANITIZE=OFF -DVELDMARK_TESTS=OFF \
    -DVELDMARK_WERROR=OFF "$@" -- veldmark veldmark-verify data
}

# Runs a command on the display there is, or under its own virtual display when there is none.
with_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    "$@"
  else
    xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$@"
  fi
}
