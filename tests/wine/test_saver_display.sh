#!/usr/bin/env bash
# /s covers the whole screen with a black window; after a few seconds golden
# kernels roll along the bottom, later popped pieces fly well above them; and
# nothing but the animation is on the screen.
set -u
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"
wine_setup

wine_setting total_fizzlet 100
wine_setting pop_chance 50
wine_setting audio_on 0
wine_saver_up

geometry=$(xdotool getwindowgeometry "$SAVER_WINDOW")
echo "$geometry" | grep -q "Position: 0,0" || fail "window not at the top-left: $geometry"
echo "$geometry" | grep -q "Geometry: ${SCREEN_W}x${SCREEN_H}" || fail "window does not cover the ${SCREEN_W}x${SCREEN_H} screen: $geometry"

sleep 3
shot early
band=48  # the kernels (32 pixels high) roll in the bottom rows
bottom=$(gold_pixels early "${SCREEN_W}x$band+0+$((SCREEN_H - band))")
note "kernel-gold pixels in the bottom $band rows after 3 s: $bottom"
[ "$bottom" -ge 300 ] || fail "no kernels along the bottom (golden pixels: $bottom)"

# Everything lit is the animation's warm colours: the black window hides
# whatever was on the screen before (Xvfb's grey root pattern).
lit=$(lit_pixels early "${SCREEN_W}x$SCREEN_H+0+0")
warm=$(warm_pixels early "${SCREEN_W}x$SCREEN_H+0+0")
note "lit pixels: $lit, of which warm: $warm"
[ $((lit - warm)) -le $((SCREEN_W * SCREEN_H / 100)) ] || fail "the screen is not black behind the kernels"

sleep 5
shot later
air_h=$((SCREEN_H - 150))
air=$(warm_pixels later "${SCREEN_W}x$air_h+0+0")
note "warm (piece) pixels above the bottom 150 rows after 8 s: $air"
[ "$air" -ge 300 ] || fail "no pieces in the air (golden pixels: $air)"

wine_stop_saver
pass
