#!/usr/bin/env bash
# Runs a Windows program under Wine; ctest uses it as the cross-compiling
# emulator.  When the ctest session fixture (wine-session.sh) has prepared a
# prefix, its WINEPREFIX and DISPLAY are used, so every test starts in
# well under a second.  Otherwise a throwaway prefix is made for this run
# and removed afterwards.
set -u
state="${FIZZLET_WINE_STATE:-}"
if [ -n "$state" ] && [ -f "$state/env" ]; then
  # shellcheck disable=SC1091
  . "$state/env"
  export WINEPREFIX DISPLAY
  export WINEDEBUG=-all
  exec wine "$@"
fi

export WINEDEBUG=-all
tmp=$(mktemp -d /tmp/fizzlet-wine.XXXXXX)
export WINEPREFIX="$tmp/prefix"
xvfb_pid=
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
      xvfb_pid=$!
      export DISPLAY=":$n"
      for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
      break
    fi
  done
fi
wineserver -p >/dev/null 2>&1 </dev/null
wine cmd /c exit >/dev/null 2>&1 </dev/null
wine "$@"
rc=$?
wineserver -k >/dev/null 2>&1 || true
[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
rm -rf "$tmp"
exit $rc
