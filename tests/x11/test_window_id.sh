#!/usr/bin/env bash
# The saver in another program's window: with -window-id it paints the window
# black with kernels along its bottom, follows a resize, and ends (status 0)
# when the window is destroyed.  Given the window by $XSCREENSAVER_WINDOW in
# decimal, -root draws there too, and SIGTERM ends it cleanly.
set -u
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"
x11_setup 1280x720x24

# Shows a WIDTHxHEIGHT test window; its id in WINDOW, its process in HOLDER.
show_window() {
  "$FIZZLET_TEST_WINDOW" "$1" "$2" >"$X11_DIR/window.id" &
  HOLDER=$!
  X11_PIDS+=("$HOLDER")
  local _
  for _ in $(seq 50); do [ -s "$X11_DIR/window.id" ] && break; sleep 0.1; done
  WINDOW=$(cat "$X11_DIR/window.id")
  [ -n "$WINDOW" ] || x11_fail "the test window did not appear"
}

# Kernels along the bottom of a WIDTHxHEIGHT window, black above them.
check_window() {
  local shot="$X11_DIR/window-$1x$2.png" gold
  gold=$(x11_wait_gold "$shot" "$1x40+0+$(($2 - 40))" 15 "$WINDOW") ||
    x11_fail "no kernels along the bottom of the $1x$2 window ($gold)"
  x11_log "$1x$2: gold along the bottom $gold"
  [ "$(x11_pixel "$shot" $(($1 - 5)) 5)" = "#000000" ] || x11_fail "the $1x$2 window is not black"
}

show_window 320 240
x11_start -window-id "$WINDOW" -count 40 -pop-chance 1 -no-music
check_window 320 240
x11_running || x11_fail "the saver ended in the window"

# Grown: kernels now run along the new bottom, and the new area is black.
xdotool windowsize "$WINDOW" 640 400
check_window 640 400

kill "$HOLDER"
x11_wait_exit 5 || x11_fail "the saver did not end when its window was destroyed"
[ "$X11_STATUS" -eq 0 ] || x11_fail "exit status $X11_STATUS after the window went"
x11_log "window destroyed: the saver ended"

show_window 400 300
XSCREENSAVER_WINDOW=$((WINDOW)) x11_start -root -count 40 -pop-chance 1 -no-music
check_window 400 300
kill -TERM "$X11_SAVER_PID"
x11_wait_exit 5 || x11_fail "SIGTERM did not end the saver"
[ "$X11_STATUS" -eq 0 ] || x11_fail "exit status $X11_STATUS after SIGTERM"

"$FIZZLET" -window-id 0x7ffffff 2>"$X11_DIR/missing.err"
status=$?
[ "$status" -eq 1 ] || x11_fail "a missing window gave status $status"
grep -q "no window 0x7ffffff" "$X11_DIR/missing.err" || x11_fail "no clear message for a missing window"
x11_pass
