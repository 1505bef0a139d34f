#!/usr/bin/env bash
# The saver in another program's window: with -window-id it paints the window
# black with kernels along its bottom, follows a resize, and ends (status 0)
# when the window is destroyed.  Given the window by $XSCREENSAVER_WINDOW in
# decimal, -root draws there too, and SIGTERM ends it cleanly.
set -u
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"
x11_setup 1280x720x24

# Shows a WIDTHxHEIGHT test window; its id in WINDOW, its process in HOLDER.
show_window() {
  "$FIZZLET_TEST_WINDOW" "$1" "$2" >"$WORK_DIR/window.id" &
  HOLDER=$!
  BACKGROUND_PIDS+=("$HOLDER")
  local _
  for _ in $(seq 50); do [ -s "$WORK_DIR/window.id" ] && break; sleep 0.1; done
  WINDOW=$(cat "$WORK_DIR/window.id")
  [ -n "$WINDOW" ] || fail "the test window did not appear"
}

# Kernels along the bottom of a WIDTHxHEIGHT window, black above them.
check_window() {
  local shot="window-$1x$2" gold
  gold=$(wait_gold "$shot" "$1x40+0+$(($2 - 40))" 15 "$WINDOW") ||
    fail "no kernels along the bottom of the $1x$2 window ($gold)"
  log "$1x$2: gold along the bottom $gold"
  [ "$(pixel_colour "$shot" $(($1 - 5)) 5)" = "#000000" ] || fail "the $1x$2 window is not black"
}

show_window 320 240
x11_start -window-id "$WINDOW" -count 40 -pop-chance 1 -no-music
check_window 320 240
x11_running || fail "the saver ended in the window"

# Grown: kernels now run along the new bottom, and the new area is black.
xdotool windowsize "$WINDOW" 640 400
check_window 640 400

kill "$HOLDER"
x11_wait_exit 5 || fail "the saver did not end when its window was destroyed"
[ "$SAVER_STATUS" -eq 0 ] || fail "exit status $SAVER_STATUS after the window went"
log "window destroyed: the saver ended"

show_window 400 300
XSCREENSAVER_WINDOW=$((WINDOW)) x11_start -root -count 40 -pop-chance 1 -no-music
check_window 400 300
kill -TERM "$SAVER_PID"
x11_wait_exit 5 || fail "SIGTERM did not end the saver"
[ "$SAVER_STATUS" -eq 0 ] || fail "exit status $SAVER_STATUS after SIGTERM"

"$FIZZLET" -window-id 0x7ffffff 2>"$WORK_DIR/missing.err"
status=$?
[ "$status" -eq 1 ] || fail "a missing window gave status $status"
grep -q "no window 0x7ffffff" "$WORK_DIR/missing.err" || fail "no clear message for a missing window"
pass
