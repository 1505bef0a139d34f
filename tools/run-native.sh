#!/usr/bin/env bash
# Builds the native X11 saver and runs it with the given options (default: a
# full-screen window of its own).  On a display ($DISPLAY set) it simply runs
# until you end it (a key, or a lot of mouse movement).  With no display it
# starts a private Xvfb, lets the saver run a few seconds, saves screenshots
# to a folder that it prints, and ends the saver with a key press.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$(nproc)" --target fizzlet
program="$PWD/build/linux/bin/fizzlet"
if [ -n "${DISPLAY:-}" ]; then
  exec "$program" "$@"
fi

shots=$(mktemp -d /tmp/fizzlet-shots.XXXXXX)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$shots/.display" >/dev/null 2>&1 </dev/null &
xvfb=$!
saver=""
cleanup() {
  [ -n "$saver" ] && kill "$saver" 2>/dev/null
  kill "$xvfb" 2>/dev/null || true
  rm -f "$shots/.display"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$shots/.display" ] && break; sleep 0.1; done
DISPLAY=":$(head -n 1 "$shots/.display")"
export DISPLAY

echo "Running fizzlet $* on the private display $DISPLAY"
"$program" "$@" </dev/null &
saver=$!
for i in 1 2 3 4 5 6; do
  sleep 1
  import -window root "$shots/shot-$i.png" 2>/dev/null || true
done
# End it as a user would: a typed character.
xdotool key space 2>/dev/null || true
ended=no
for _ in $(seq 50); do
  kill -0 "$saver" 2>/dev/null || { ended=yes; break; }
  sleep 0.1
done
[ "$ended" = yes ] && { wait "$saver" || true; saver=""; }
import -window root "$shots/shot-after.png" 2>/dev/null || true
echo "Saver ended after the key press: $ended"
echo "Screenshots: $shots"
ls "$shots"
