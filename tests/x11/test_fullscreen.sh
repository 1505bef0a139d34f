#!/usr/bin/env bash
# The saver in a full-screen window of its own: golden kernels along the
# bottom of a black screen; clicks, keys without a character and a dozen
# pointer moves leave it running; a long burst of pointer motion ends it, and
# so does a letter.  It exits with status 0.
set -u
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"
# A server without MIT-SHM: the images go by plain XPutImage here (the other
# tests use shared memory).
x11_setup 1280x720x24 -extension MIT-SHM

# Pop chance 1: no kernel ever pops, so everything drawn stays at the bottom.
x11_start --fullscreen -count 100 -pop-chance 1 -no-music
wait_window fizzlet 10 >/dev/null || fail "no full-screen window"
bottom=$(wait_gold shot 1280x45+0+675 15) ||
  fail "no golden kernels along the bottom ($bottom)"
above=$(gold_share shot 1280x600+0+0)
log "gold along the bottom: $bottom, above it: $above"
greater 0.0001 "$above" || fail "gold above the bottom band"
[ "$(pixel_colour shot 640 300)" = "#000000" ] || fail "the screen is not black"

xdotool mousemove 300 300
xdotool click 1 sleep 0.2 click 3
xdotool key Left Down F5 shift ctrl Delete
pointer_moves 12 0.01
sleep 1.5
native_running || fail "clicks, keys without a character or a dozen moves ended the saver"
log "clicks, arrows, F5, Shift, Ctrl, Delete and 13 moves: still running"

# A burst of 100 moves within about a second: more than 20 in one activity
# window.
pointer_moves 100 0.01
native_wait_exit 5 || fail "a long burst of pointer motion did not end the saver"
[ "$SAVER_STATUS" -eq 0 ] || fail "exit status $SAVER_STATUS after pointer motion"
log "a burst of motion ended it"

x11_start -count 20 -pop-chance 1 -no-music   # no option: a window of its own too
x11_end_with_key
[ ! -e "$XDG_CONFIG_HOME/fizzlet/fizzlet.ini" ] || fail "the saver wrote its settings file"
pass
