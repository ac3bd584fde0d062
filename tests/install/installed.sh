#!/usr/bin/env bash
# Checks of the installed program, run by ctest (see CMakeLists.txt beside this file):
#   installed.sh stage    STAGE BUILD      install BUILD into STAGE/root as the package does (prefix /usr)
#   installed.sh files    STAGE EXPECTED   the installed files are exactly those listed in EXPECTED
#   installed.sh validate STAGE APP_ID     desktop entry and AppStream metainfo pass their validators
#   installed.sh start    STAGE APP_ID     the desktop entry's command starts the viewer offscreen with
#                                          data in a temporary XDG_DATA_HOME, until its frame has loaded
set -euo pipefail
command="$1" stage="$2"
root="$stage/root"

case "$command" in
stage)
  build="$3"
  rm -rf "$stage"
  DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
  ;;

files)
  expected="$3"
  if ! diff -u <(grep -v '^#' "$expected" | sort) <(cd "$root/usr" && find . -type f -printf '%P\n' | sort); then
    echo "The installed files differ from $expected (- listed there, + installed)." >&2
    exit 1
  fi
  for program in "$root"/usr/bin/*; do
    [ -x "$program" ] || { echo "$program is not executable" >&2; exit 1; }
  done
  ;;

validate)
  app_id="$3"
  desktop-file-validate "$root/usr/share/applications/$app_id.desktop"
  appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/$app_id.metainfo.xml"
  ;;

start)
  app_id="$3"
  home="$(mktemp -d)"
  viewer_pid=""
  cleanup() {
    if [ -n "$viewer_pid" ]; then
      kill "$viewer_pid" 2>/dev/null || true
      wait "$viewer_pid" 2>/dev/null || true
    fi
    rm -rf "$home"
  }
  trap cleanup EXIT
  export XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache"
  export QT_QPA_PLATFORM=offscreen
  # The installed generator makes the data where an installed viewer looks first.
  "$root/usr/bin/tamo-make-demo-data" --small "$XDG_DATA_HOME/TAMO" >/dev/null

  # The command of the desktop entry, found where the package puts it.
  exec_line="$(sed -n 's/^Exec=//p' "$root/usr/share/applications/$app_id.desktop")"
  PATH="$root/usr/bin:$PATH" $exec_line >"$home/viewer.log" 2>&1 &
  viewer_pid=$!

  # The start-up load saves the preferences once the frame has read the theme catalogue and the
  # database: then the settings name the database found in XDG_DATA_HOME.
  settings="$XDG_CONFIG_HOME/TAMO/settings.json"
  wanted="\"ATTRIB_MDB\": \"$XDG_DATA_HOME/TAMO/TAMO2.sqlite\""
  for ((tenths = 0; tenths < 600; ++tenths)); do
    if ! kill -0 "$viewer_pid" 2>/dev/null; then
      echo "The installed viewer ended before its frame had loaded:" >&2
      cat "$home/viewer.log" >&2
      exit 1
    fi
    grep -qF "$wanted" "$settings" 2>/dev/null && break
    sleep 0.1
  done
  if ! grep -qF "$wanted" "$settings" 2>/dev/null; then
    echo "The installed viewer did not load the data of XDG_DATA_HOME within 60 s:" >&2
    cat "$home/viewer.log" "$settings" >&2 || true
    exit 1
  fi
  [ -d "$XDG_CACHE_HOME/TAMO" ] || { echo "No cache folder in XDG_CACHE_HOME" >&2; exit 1; }
  [ ! -e "$root/usr/bin/Cache" ] || { echo "The installed viewer made Cache/ beside itself" >&2; exit 1; }
  echo "The installed viewer loaded $XDG_DATA_HOME/TAMO/TAMO2.sqlite."
  ;;

*)
  echo "installed.sh: unknown command $command" >&2
  exit 2
  ;;
esac
