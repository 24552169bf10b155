#!/usr/bin/env bash
# Installs what is missing, builds the game and its data, and starts it.
set -euo pipefail
source "$(dirname "$0")/scripts/common.sh"
cd "$ROOT"
install_packages
build_play
exec "$ROOT/build/play/veldmark" "$@"
