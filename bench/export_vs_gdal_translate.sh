#!/usr/bin/env bash
# Times tamo-export of the whole world as SMU ids to GeoTIFF against gdal_translate of the same
# raster with the same creation options, in turns, and prints the medians and their ratio.
#
#   bench/export_vs_gdal_translate.sh BUILD_DIR DATA_DIR [REPETITIONS]
#
# DATA_DIR holds the demo data set with TAMO2.bil extracted beside TAMO2.zip (see README.md).
# The files are written to a temporary folder below TAMO_BENCH_TMP (else /tmp) and removed.
set -euo pipefail

build=$(realpath "$1")
data=$(realpath "$2")
reps=${3:-3}
export_program="$build/bin/tamo-export"
[ -x "$export_program" ] || { echo "no $export_program" >&2; exit 1; }
[ -f "$data/TAMO2.bil" ] || { echo "no $data/TAMO2.bil" >&2; exit 1; }
command -v gdal_translate >/dev/null || { echo "gdal_translate is missing (Debian package gdal-bin)" >&2; exit 1; }

work=$(mktemp -d "${TAMO_BENCH_TMP:-/tmp}/tamo-export-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config" "$work/gdal"
# GDAL reads the raster through its raw-raster driver: a link beside a header.
ln -s "$data/TAMO2.bil" "$work/gdal/TAMO2.bil"
cat > "$work/gdal/TAMO2.hdr" <<HDR
BYTEORDER I
LAYOUT BIL
NROWS 21600
NCOLS 43200
NBANDS 1
NBITS 16
ULXMAP -179.995833333333
ULYMAP 89.995833333333
XDIM 0.008333333333333
YDIM 0.008333333333333
NODATA 0
HDR
options=(-co TILED=YES -co COMPRESS=DEFLATE -co BIGTIFF=IF_SAFER -co NUM_THREADS=ALL_CPUS)

# Wall seconds and CPU seconds (user + system) of a command, as "wall cpu".
measure() {
  local TIMEFORMAT='%R %U %S' times
  times=$( { time "$@" >/dev/null 2>&1; } 2>&1 )
  awk '{ printf "%.2f %.2f\n", $1, $2 + $3 }' <<<"$times"
}
ours=() peers=() ours_cpu=() peers_cpu=()
for ((i = 1; i <= reps; i++)); do
  rm -f "$work"/*.tif "$work"/*.aux.xml
  read -r wall cpu < <(XDG_CONFIG_HOME="$work/config" measure "$export_program" --data "$data" --world \
                         --format GTiff "$work/ours.tif")
  ours+=("$wall") ours_cpu+=("$cpu")
  read -r wall cpu < <(measure gdal_translate -q -of GTiff "${options[@]}" -a_srs EPSG:4326 \
                         "$work/gdal/TAMO2.bil" "$work/peer.tif")
  peers+=("$wall") peers_cpu+=("$cpu")
  echo "run $i: tamo-export ${ours[-1]} s (CPU ${ours_cpu[-1]} s, $(stat -c %s "$work/ours.tif") bytes)," \
       "gdal_translate ${peers[-1]} s (CPU ${peers_cpu[-1]} s, $(stat -c %s "$work/peer.tif") bytes)"
done
median() { printf '%s\n' "$@" | sort -g | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
ours_median=$(median "${ours[@]}") peers_median=$(median "${peers[@]}")
ours_cpu_median=$(median "${ours_cpu[@]}") peers_cpu_median=$(median "${peers_cpu[@]}")
echo "median wall: tamo-export $ours_median s, gdal_translate $peers_median s, ratio $(ratio "$ours_median" "$peers_median")"
echo "median CPU: tamo-export $ours_cpu_median s, gdal_translate $peers_cpu_median s," \
     "ratio $(ratio "$ours_cpu_median" "$peers_cpu_median")"
