#!/usr/bin/env bash
# Builds fizzlet.scr and runs it under Wine with the given switch (default /s).
# On a display ($DISPLAY set) it simply runs until you end it.  With no display
# it starts a private Xvfb, lets the saver run a few seconds, saves screenshots
# to a folder that it prints, ends the saver with a key press and stops
# everything it started.  The Wine prefix is kept in build/wine-run-prefix
# (or $WINEPREFIX), so later runs start at once.
# "tools/run.sh --native [OPTIONS]" does the same with the native X11 saver
# (tools/run-native.sh; its options as in "fizzlet --help").
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
if [ "${1:-}" = --native ]; then shift; exec tools/run-native.sh "$@"; fi
tools/install-deps.sh || exit 1
cmake --preset windows >/dev/null || exit 1
cmake --build --preset windows -j "$(nproc)" --target fizzlet_scr || exit 1
export FIZZLET_SCR="$PWD/build/windows/bin/fizzlet.scr"
switch=("$@"); [ ${#switch[@]} -gt 0 ] || switch=(/s)
prefix="${WINEPREFIX:-$PWD/build/wine-run-prefix}"

if [ -n "${DISPLAY:-}" ]; then
  export WINEDEBUG=-all WINEPREFIX="$prefix"
  exec wine "$FIZZLET_SCR" "${switch[@]}"
fi

# shellcheck source=tests/wine/lib.sh
. tests/wine/lib.sh
E2E_PREFIX="$prefix"
echo "Preparing the Wine prefix $E2E_PREFIX"
e2e_setup
E2E_SHOTS=$(mktemp -d /tmp/fizzlet-shots.XXXXXX)

echo "Running fizzlet.scr ${switch[*]} on the private display $DISPLAY"
e2e_start_saver "${switch[@]}"
for i in 1 2 3 4 5 6; do
  sleep 1
  e2e_screenshot "$E2E_SHOTS/shot-$i.png"
done
# End it as a user would: a typed character in the saver window.
ended=no
if [ -n "$(e2e_windows "$E2E_SAVER_CAPTION")" ]; then
  e2e_saver_end_with_key space >/dev/null && ended=yes
fi
e2e_screenshot "$E2E_SHOTS/shot-after.png"
echo "Saver window gone after the key press: $ended"
echo "Screenshots: $E2E_SHOTS"
ls "$E2E_SHOTS"
