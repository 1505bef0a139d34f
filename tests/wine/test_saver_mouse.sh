#!/usr/bin/env bash
# Mouse movement: 20 move notifications within one 80-frame window (2.4 s)
# do not end the saver; a burst of 45 within 2.3 s does, since however an
# activity window boundary splits them one part holds more than 20.  Each
# move goes to a new position and is paced 50 ms apart, so that no two are
# merged into one notification.
set -u
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"
wine_setup
wine_setting audio_on 0

xdotool mousemove 100 100
wine_saver_up
sleep 1.5
pointer_moves 20 0.05
sleep 2
[ "$(window_count "$SAVER_CAPTION")" -eq 1 ] || fail "20 mouse moves ended the saver"
note "20 moves: saver still running"

sleep 2
ACTED_MS=$(now_ms)
pointer_moves 45 0.05
ms=$(ms_until_gone 3000) || fail "45 mouse moves did not end the saver"
note "45 moves: window gone $ms ms after the first move"
reap_saver
pass
