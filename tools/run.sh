#!/usr/bin/env bash
# Builds fizzlet.scr and runs it under Wine with the given switch (default /s).
# On a display ($DISPLAY set) it simply runs until you end it.  With no display
# it starts a private Xvfb, lets the saver run a few seconds, saves screenshots
# to a folder that it prints, and ends the saver with a key press.
# "tools/run.sh --native [OPTIONS]" does the same with the native X11 saver
# (tools/run-native.sh; its options as in "fizzlet --help").
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = --native ]; then shift; exec tools/run-native.sh "$@"; fi
tools/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target fizzlet_scr
scr="$PWD/build/windows/bin/fizzlet.scr"
switch=("$@"); [ ${#switch[@]} -gt 0 ] || switch=(/s)

export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-$PWD/build/wine-run-prefix}"
if [ -n "${DISPLAY:-}" ]; then
  exec wine "$scr" "${switch[@]}"
fi

shots=$(mktemp -d /tmp/fizzlet-shots.XXXXXX)
n=99
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$n"
saver=""
cleanup() {
  [ -n "$saver" ] && kill "$saver" 2>/dev/null
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
# Wine's services start in a session of their own with no output, so they
# never keep this script's terminal or pipes busy.
# The first start creates the prefix (a wineserver cannot start before it
# exists); then the server is kept alive for the saver.
echo "Preparing the Wine prefix $WINEPREFIX"
setsid wine cmd /c exit >/dev/null 2>&1 </dev/null || true
setsid wineserver -p >/dev/null 2>&1 </dev/null || true
# There is no window manager on the private display: tell Wine not to wait
# for one when windows close.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null

echo "Running fizzlet.scr ${switch[*]} on the private display $DISPLAY"
wine "$scr" "${switch[@]}" >/dev/null 2>&1 </dev/null &
saver=$!
for i in 1 2 3 4 5 6; do
  sleep 1
  import -window root "$shots/shot-$i.png" 2>/dev/null || true
done
# End it as a user would: a typed character in the saver window.
win=$(xdotool search --name "^screen saver running\$" 2>/dev/null | head -n 1 || true)
if [ -n "$win" ]; then
  xdotool windowfocus "$win" 2>/dev/null || true
  sleep 0.3
  xdotool key space 2>/dev/null || true
fi
ended=no
for _ in $(seq 50); do
  if [ -z "$(xdotool search --name "^screen saver running\$" 2>/dev/null)" ]; then ended=yes; break; fi
  sleep 0.1
done
import -window root "$shots/shot-after.png" 2>/dev/null || true
echo "Saver window gone after the key press: $ended"
echo "Screenshots: $shots"
ls "$shots"
