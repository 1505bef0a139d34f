#!/usr/bin/env bash
# Two monitors side by side (1024 x 768 on the left, 800 x 600 on the
# right, both with their top edge at 0): the saver window covers the whole
# desktop, and each monitor shows its own kernels rolling along its own
# bottom edge.  The X server is Xorg's dummy driver with two screens in a
# Xinerama layout, which Wine lists as two monitors.
# shellcheck source=tests/wine/lib.sh
. "${FIZZLET_E2E_LIB:-$(dirname "$0")/lib.sh}"
E2E_DUAL_DISPLAY=1 E2E_DUAL_SCREENS="1024x768 800x600"
e2e_setup
[ "$E2E_SCREEN_W" -eq 1824 ] && [ "$E2E_SCREEN_H" -eq 768 ] ||
  e2e_fail "the X server did not make a 1824 x 768 desktop: $E2E_SCREEN_W x $E2E_SCREEN_H"

e2e_setting total_fizzlet 100
e2e_setting pop_chance 2
e2e_setting audio_on 0
e2e_saver_up

geometry=$(xdotool getwindowgeometry "$E2E_SAVER_WIN")
echo "$geometry" | grep -q "Position: 0,0" && echo "$geometry" | grep -q "Geometry: 1824x768" ||
  e2e_fail "the window does not cover both monitors: $geometry"

sleep 3
e2e_shot monitors
band=48  # the kernels (32 pixels high) roll in the bottom rows of their monitor
left=$(e2e_gold_pixels monitors 0 $((768 - band)) 1024 "$band")
right=$(e2e_gold_pixels monitors 1024 $((600 - band)) 800 "$band")
# (Below the right monitor lies no monitor; what a screenshot shows there is
# the X server's, not the saver's.)  One animation over the whole window
# would roll its kernels 168 rows lower, out of the right monitor's sight.
e2e_note "kernel-gold pixels along the bottom: left monitor $left, right monitor $right"
[ "$left" -ge 300 ] || e2e_fail "no kernels along the left monitor's bottom edge"
[ "$right" -ge 300 ] || e2e_fail "no kernels along the right monitor's bottom edge"

e2e_stop_saver
e2e_pass
