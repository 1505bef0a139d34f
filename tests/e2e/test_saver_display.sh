#!/usr/bin/env bash
# /s covers the whole screen with a black window; after a few seconds golden
# kernels roll along the bottom, later popped pieces fly well above them; and
# nothing but the animation is on the screen.
set -u
# shellcheck source=saver_lib.sh
. "$(dirname "$0")/saver_lib.sh"
saver_session_start

set_setting total_fizzlet 100
set_setting pop_chance 50
set_setting audio_on 0
start_saver

geometry=$(xdotool getwindowgeometry "$saver_win")
echo "$geometry" | grep -q "Position: 0,0" || fail "window not at the top-left: $geometry"
echo "$geometry" | grep -q "Geometry: ${screen_w}x${screen_h}" || fail "window does not cover the ${screen_w}x${screen_h} screen: $geometry"

sleep 3
shot early
band=48  # the kernels (32 pixels high) roll in the bottom rows
bottom=$(gold_pixels early 0 $((screen_h - band)) "$screen_w" "$band")
note "kernel-gold pixels in the bottom $band rows after 3 s: $bottom"
[ "$bottom" -ge 300 ] || fail "no kernels along the bottom (golden pixels: $bottom)"

# Everything lit is the animation's warm colours: the black window hides
# whatever was on the screen before (Xvfb's grey root pattern).
lit=$(lit_pixels early 0 0 "$screen_w" "$screen_h")
warm=$(warm_pixels early 0 0 "$screen_w" "$screen_h")
note "lit pixels: $lit, of which warm: $warm"
[ $((lit - warm)) -le $((screen_w * screen_h / 100)) ] || fail "the screen is not black behind the kernels"

sleep 5
shot later
air_h=$((screen_h - 150))
air=$(warm_pixels later 0 0 "$screen_w" "$air_h")
note "warm (piece) pixels above the bottom 150 rows after 8 s: $air"
[ "$air" -ge 300 ] || fail "no pieces in the air (golden pixels: $air)"

stop_saver
echo "PASS"
