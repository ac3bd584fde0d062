#!/usr/bin/env bash
# Makes the Debian package from the build of ./test.sh and checks it: lintian finds no error and
# no warning, and the package holds exactly the files of an installation
# (tests/install/installed-files.txt). Called by .ci/run after ./test.sh.
set -euo pipefail
TAMO_ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$TAMO_ROOT/scripts/setup.sh"

tamo_install_packages "${TAMO_PACKAGE_CHECK_PACKAGES[@]}"
BUILD="$TAMO_ROOT/build"
tamo_build "$BUILD"
cd "$BUILD"
rm -f tamo-viewer_*.deb
cpack -G DEB >/dev/null
package=(tamo-viewer_*_amd64.deb)
echo "Checking ${package[0]}"

if ! diff -u <(grep -v '^#' "$TAMO_ROOT/tests/install/installed-files.txt" | sort) \
  <(dpkg-deb --fsys-tarfile "${package[0]}" | tar -t | grep -v '/$' | sed 's|^\./usr/||' | sort); then
  echo "The package's files differ from tests/install/installed-files.txt (+ in the package)." >&2
  exit 1
fi
# Info tags (hardening flags, .comment sections, a spelling the program shows on purpose) are
# not counted; docs/decisions.md lists them.
lintian --fail-on error,warning "${package[0]}"
echo "The package passes lintian."
