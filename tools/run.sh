#!/usr/bin/env bash
# Builds fizzlet.scr and runs it under Wine with the given switch (default
# /s), or with --native the native X11 saver with the given options (default:
# a full-screen window of its own; see "fizzlet --help").  On a display
# ($DISPLAY set) it simply runs until you end it (a key, or a lot of mouse
# movement).  With no display it starts a private Xvfb, lets the saver run a
# few seconds, saves screenshots to a folder that it prints, ends the saver
# with a key press and stops everything it started.  The Wine prefix is kept
# in build/wine-run-prefix (or $WINEPREFIX), so later runs start at once.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/lib.sh
. tools/lib.sh
native=""
if [ "${1:-}" = --native ]; then native=yes; shift; fi
tools/install-deps.sh
if [ -n "$native" ]; then
  build_preset linux --target fizzlet
  export FIZZLET="$PWD/build/linux/bin/fizzlet"
  [ -n "${DISPLAY:-}" ] && exec "$FIZZLET" "$@"
  what="fizzlet${*:+ $*}"
else
  build_preset windows --target fizzlet_scr
  export FIZZLET_SCR="$PWD/build/windows/bin/fizzlet.scr"
  switch=("$@"); [ ${#switch[@]} -gt 0 ] || switch=(/s)
  WINE_KEPT_PREFIX="${WINEPREFIX:-$PWD/build/wine-run-prefix}"
  [ -n "${DISPLAY:-}" ] && WINEPREFIX="$WINE_KEPT_PREFIX" exec wine "$FIZZLET_SCR" "${switch[@]}"
  what="fizzlet.scr ${switch[*]}"
fi

if [ -n "$native" ]; then
  scratch_setup
  start_x_server
else
  echo "Preparing the Wine prefix $WINE_KEPT_PREFIX"
  wine_setup
fi
SHOTS=$(mktemp -d /tmp/fizzlet-shots.XXXXXX)
echo "Running $what on the private display $DISPLAY"
if [ -n "$native" ]; then x11_start "$@"; else wine_start "${switch[@]}"; fi
for i in 1 2 3 4 5 6; do
  sleep 1
  shot "shot-$i"
done
# End it as a user would: a typed character.
ended=no
if ! saver_gone && end_with_key space 5000 >/dev/null; then ended=yes; fi
shot shot-after
if [ -s "$WORK_DIR/saver.err" ]; then echo "The saver said: $(cat "$WORK_DIR/saver.err")"; fi
echo "Saver ended after the key press: $ended"
echo "Screenshots: $SHOTS"
ls "$SHOTS"
