#!/usr/bin/env bash
# Runs a Windows program under Wine; ctest uses it as the cross-compiling
# emulator.  When the ctest session fixture (wine-session.sh) has prepared a
# prefix, its WINEPREFIX and DISPLAY are used, so every test starts in
# well under a second.  Otherwise a throwaway prefix (and a display, when
# none is set) is made for this run and removed afterwards.
set -u
state="${FIZZLET_WINE_STATE:-}"
if [ -n "$state" ] && [ -f "$state/env" ]; then
  # shellcheck disable=SC1091
  . "$state/env"
  export WINEPREFIX DISPLAY
  export WINEDEBUG=-all
  exec wine "$@"
fi

# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../tools/lib.sh"
scratch_setup
[ -n "${DISPLAY:-}" ] || start_x_server
wine_session "$WORK_DIR/prefix"
wine "$@"
