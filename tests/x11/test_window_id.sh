#!/usr/bin/env bash
# The saver in another program's window: with -window-id it paints the window
# black with kernels along its bottom, follows a resize (of both sides, of the
# width alone and of the height alone), paints again a part that another
# window uncovers, draws opaque pixels on a 32-bit (ARGB) window, and ends
# (status 0) when the window is destroyed.  Given the window by
# $XSCREENSAVER_WINDOW in decimal, -root draws there too, and SIGTERM ends it
# cleanly.
set -u
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"
x11_setup 1280x720x24

# Shows a WIDTH HEIGHT [32] test window; its id in WINDOW, its process in HOLDER.
show_window() {
  "$FIZZLET_TEST_WINDOW" "$@" >"$WORK_DIR/window.id" &
  HOLDER=$!
  BACKGROUND_PIDS+=("$HOLDER")
  local _
  for _ in $(seq 50); do [ -s "$WORK_DIR/window.id" ] && break; sleep 0.1; done
  WINDOW=$(cat "$WORK_DIR/window.id")
  [ -n "$WINDOW" ] || fail "the test window did not appear"
}

# Kernels along the bottom of a WIDTHxHEIGHT window, and black at the top
# right and at X, Y (default the top left), waited for up to 15 s.
check_window() {
  local shot="window-$1x$2" gold=0 black=0 _
  for _ in $(seq 15); do
    shot "$shot" "$WINDOW"
    gold=$(gold_share "$shot" "$1x40+0+$(($2 - 40))")
    black=0
    for xy in "$(($1 - 5)) 5" "${3:-5} ${4:-5}"; do
      # shellcheck disable=SC2086
      [ "$(pixel_colour "$shot" $xy)" = "#000000" ] && black=$((black + 1))
    done
    greater "$gold" 0.02 && [ "$black" = 2 ] && break
    sleep 1
  done
  greater "$gold" 0.02 || fail "no kernels along the bottom of the $1x$2 window ($gold)"
  [ "$black" = 2 ] || fail "the $1x$2 window is not black at the top (right, and ${3:-5},${4:-5})"
  log "$1x$2: gold along the bottom $gold"
}

show_window 320 240
x11_start -window-id "$WINDOW" -count 40 -pop-chance 1 -no-music
check_window 320 240
native_running || fail "the saver ended in the window"

# Grown: kernels now run along the new bottom, and the new area is black;
# then the width alone and the height alone change.
xdotool windowsize "$WINDOW" 640 400
check_window 640 400
xdotool windowsize "$WINDOW" 800 400
check_window 800 400
xdotool windowsize "$WINDOW" 800 480
check_window 800 480

# Another window over its top left goes: the part it uncovers is black again.
saver_window=$WINDOW saver_holder=$HOLDER
show_window 200 150
kill "$HOLDER"
WINDOW=$saver_window HOLDER=$saver_holder
check_window 800 480 100 75

kill "$HOLDER"
native_wait_exit 5 || fail "the saver did not end when its window was destroyed"
[ "$SAVER_STATUS" -eq 0 ] || fail "exit status $SAVER_STATUS after the window went"
log "window destroyed: the saver ended"

show_window 400 300
XSCREENSAVER_WINDOW=$((WINDOW)) x11_start -root -count 40 -pop-chance 1 -no-music
check_window 400 300
kill -TERM "$SAVER_PID"
native_wait_exit 5 || fail "SIGTERM did not end the saver"
[ "$SAVER_STATUS" -eq 0 ] || fail "exit status $SAVER_STATUS after SIGTERM"
kill "$HOLDER"

# On a 32-bit (ARGB) window the picture is opaque: alpha 0xff, not 0.
show_window 320 240 32
x11_start -window-id "$WINDOW" -count 40 -pop-chance 1 -no-music
check_window 320 240
pixel=$("$FIZZLET_TEST_WINDOW" pixel "$WINDOW" 315 5)
[ "$pixel" = 0xff000000 ] || fail "a black pixel of the 32-bit window reads $pixel"
kill "$HOLDER"
native_wait_exit 5 || fail "the saver did not end with the 32-bit window"

"$FIZZLET" -window-id 0x7ffffff 2>"$WORK_DIR/missing.err"
status=$?
[ "$status" -eq 1 ] || fail "a missing window gave status $status"
grep -q "no window 0x7ffffff" "$WORK_DIR/missing.err" || fail "no clear message for a missing window"
pass
