#!/usr/bin/env bash
# Sets up this machine, builds the viewer, makes the demo data if absent and starts the viewer.
set -euo pipefail
TAMO_ROOT="$(cd "$(dirname "$0")" && pwd)"
source "$TAMO_ROOT/scripts/setup.sh"

tamo_install_packages
BUILD="$TAMO_ROOT/build"
# Only what this script runs; ./test.sh builds everything.
tamo_build "$BUILD" tamo-viewer tamo-mdb-import tamo-make-demo-data

BIN="$BUILD/bin"
DATA="$BIN/Data"
if [ -x "$BIN/tamo-make-demo-data" ] && [ ! -f "$DATA/TAMO2.zip" ]; then
  echo "Making the demo data set in $DATA (once) ..."
  "$BIN/tamo-make-demo-data" "$DATA"
fi

# The viewer extracts the raster from Data/TAMO2.zip into its Cache/ folder on first use.
exec "$BIN/tamo-viewer" "$@"
