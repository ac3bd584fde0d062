#!/bin/sh
# The first world view on a cold page cache, against GDAL's RasterIO of the same view: each
# repetition drops the raster's pages from the page cache, then opens and draws it once.
#   bench/cold_world_view.sh BUILD_DIR [DATA_DIR] [REPETITIONS]
# Runs tamo-bench on its own: a page of the raster that any process maps cannot be dropped (the
# counter cached_after_drop_MB says how much stayed). Only the raster's pages are dropped, so other
# programs on the machine keep theirs; no root needed.
set -eu
build=${1:?usage: $0 BUILD_DIR [DATA_DIR] [REPETITIONS]}
data=${2:-}
repetitions=${3:-3}
if [ -n "$data" ]; then
    export TAMO_DEMO_DATA="$data"
fi
exec "$build/bin/tamo-bench" --benchmark_filter='BM_DrawMapWorldCold|BM_GdalRasterIOWorldCold' \
    --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true
