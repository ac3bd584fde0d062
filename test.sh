#!/usr/bin/env bash
# Sets up this machine, builds everything and runs every test headless.
set -euo pipefail
TAMO_ROOT="$(cd "$(dirname "$0")" && pwd)"
source "$TAMO_ROOT/scripts/setup.sh"

tamo_install_packages
BUILD="$TAMO_ROOT/build"
tamo_build "$BUILD"

export QT_QPA_PLATFORM=offscreen
cd "$BUILD"
ctest --output-on-failure -j"$(nproc)" --timeout 600
