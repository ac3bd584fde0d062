#!/usr/bin/env bash
# Installs what the project needs on a Debian 12 machine (only what is missing), then
# configures and builds it. Sourced by run.sh, test.sh and the CI scripts.
set -euo pipefail

TAMO_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libzip-dev libshp-dev mdbtools mdbtools-dev libglib2.0-dev
  libgtest-dev libgmock-dev libbenchmark-dev libgdal-dev gdal-bin qt6-charts-dev libqt6opengl6-dev
  sqlite3 libsqlite3-dev zip unzip fonts-dejavu-core
  # the program icon's pictures, and the checks of the installed desktop entry and metainfo
  librsvg2-bin desktop-file-utils appstream
)
# What the check of the Debian package needs beyond that (scripts/check-package.sh).
TAMO_PACKAGE_CHECK_PACKAGES=(lintian)

# tamo_install_packages [EXTRA...]: installs TAMO_PACKAGES and EXTRA where missing. One query of
# the package database, so that a machine that has everything pays next to nothing.
tamo_install_packages() {
  local wanted=("${TAMO_PACKAGES[@]}" "$@")
  local installed
  installed=" $(dpkg-query -W -f='${db:Status-Abbrev}${Package}\n' "${wanted[@]}" 2>/dev/null |
    sed -n 's/^ii *//p' | tr '\n' ' ') "
  local missing=()
  for pkg in "${wanted[@]}"; do
    [[ "$installed" == *" $pkg "* ]] || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# tamo_build BUILD_DIR [TARGET...]: builds TARGETs (everything when none is given). The folder
# is configured once, with Ninja when there is one; later builds re-run CMake by themselves when a
# CMakeLists.txt changed, so an unchanged tree costs only the build tool's look at the files.
tamo_build() {
  local build_dir="$1"
  shift
  if [ ! -f "$build_dir/build.ninja" ] && [ ! -f "$build_dir/Makefile" ]; then
    local generator=()
    command -v ninja >/dev/null && generator=(-G Ninja)
    cmake -S "$TAMO_ROOT" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release "${generator[@]}" >/dev/null
  fi
  local targets=()
  for target in "$@"; do
    targets+=(--target "$target")
  done
  cmake --build "$build_dir" -j"$(nproc)" "${targets[@]}"
}
