#!/usr/bin/env bash
# Installs what the project needs on a Debian 12 machine (only what is missing), then
# configures and builds it. Sourced by run.sh and test.sh.
set -euo pipefail

TAMO_PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libgl-dev
  libzip-dev libshp-dev mdbtools mdbtools-dev libglib2.0-dev
  libgtest-dev libgmock-dev libbenchmark-dev libgdal-dev gdal-bin qt6-charts-dev
  sqlite3 libsqlite3-dev zip unzip fonts-dejavu-core
)

tamo_install_packages() {
  local missing=()
  for pkg in "${TAMO_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

tamo_build() {
  local build_dir="$1"
  cmake -S "$TAMO_ROOT" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build_dir" -j"$(nproc)"
}
