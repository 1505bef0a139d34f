#!/usr/bin/env bash
# /s covers the whole screen with a black window; after a few seconds golden
# kernels roll along the bottom, later popped pieces fly well above them; and
# nothing but the animation is on the screen.
set -u
# shellcheck source=tests/wine/lib.sh
. "${FIZZLET_E2E_LIB:-$(dirname "$0")/lib.sh}"
e2e_setup

e2e_setting total_fizzlet 100
e2e_setting pop_chance 50
e2e_setting audio_on 0
e2e_saver_up

geometry=$(xdotool getwindowgeometry "$E2E_SAVER_WIN")
echo "$geometry" | grep -q "Position: 0,0" || e2e_fail "window not at the top-left: $geometry"
echo "$geometry" | grep -q "Geometry: ${E2E_SCREEN_W}x${E2E_SCREEN_H}" || e2e_fail "window does not cover the ${E2E_SCREEN_W}x${E2E_SCREEN_H} screen: $geometry"

sleep 3
e2e_shot early
band=48  # the kernels (32 pixels high) roll in the bottom rows
bottom=$(e2e_gold_pixels early 0 $((E2E_SCREEN_H - band)) "$E2E_SCREEN_W" "$band")
e2e_note "kernel-gold pixels in the bottom $band rows after 3 s: $bottom"
[ "$bottom" -ge 300 ] || e2e_fail "no kernels along the bottom (golden pixels: $bottom)"

# Everything lit is the animation's warm colours: the black window hides
# whatever was on the screen before (Xvfb's grey root pattern).
lit=$(e2e_lit_pixels early 0 0 "$E2E_SCREEN_W" "$E2E_SCREEN_H")
warm=$(e2e_warm_pixels early 0 0 "$E2E_SCREEN_W" "$E2E_SCREEN_H")
e2e_note "lit pixels: $lit, of which warm: $warm"
[ $((lit - warm)) -le $((E2E_SCREEN_W * E2E_SCREEN_H / 100)) ] || e2e_fail "the screen is not black behind the kernels"

sleep 5
e2e_shot later
air_h=$((E2E_SCREEN_H - 150))
air=$(e2e_warm_pixels later 0 0 "$E2E_SCREEN_W" "$air_h")
e2e_note "warm (piece) pixels above the bottom 150 rows after 8 s: $air"
[ "$air" -ge 300 ] || e2e_fail "no pieces in the air (golden pixels: $air)"

e2e_stop_saver
e2e_pass
