#!/usr/bin/env bash
# ctest fixture for the Windows tests: "start DIR" makes a fresh Wine prefix
# in DIR, starts an Xvfb display when none is set, keeps a wineserver alive
# and boots the prefix once, keeping a copy of the booted prefix as a template
# for tests that need a registry of their own; "stop DIR" ends all of it and
# removes the prefixes.
set -u
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../tools/lib.sh"
cmd="$1"; dir="$2"
case "$cmd" in
start)
  "$0" stop "$dir" >/dev/null 2>&1
  mkdir -p "$dir"
  WORK_DIR="$dir"
  if [ -z "${DISPLAY:-}" ]; then
    start_x_server
    echo "$X_SERVER_PID" > "$dir/xvfb.pid"
  fi
  wine_session "$dir/prefix"
  # A booted prefix, saved while no server runs, that end-to-end tests copy
  # for a registry of their own in two seconds instead of booting one in
  # twenty.
  wine_stop_server
  cp -a "$dir/prefix" "$dir/template"
  wine_session "$dir/prefix"
  {
    echo "WINEPREFIX='$dir/prefix'"
    echo "DISPLAY='$DISPLAY'"
    echo "TEMPLATE='$dir/template'"
  } > "$dir/env"
  ;;
stop)
  if [ -f "$dir/env" ]; then
    # shellcheck disable=SC1091
    . "$dir/env"; export WINEPREFIX
    wine_stop_server
  fi
  [ -f "$dir/xvfb.pid" ] && kill "$(cat "$dir/xvfb.pid")" 2>/dev/null
  rm -rf "$dir"
  ;;
esac
exit 0
