#!/usr/bin/env bash
# Two monitors side by side (1024 x 768 on the left, 800 x 600 on the
# right, both with their top edge at 0): the saver window covers the whole
# desktop, and each monitor shows its own kernels rolling along its own
# bottom edge.  The X server is Xorg's dummy driver with two screens in a
# Xinerama layout, which Wine lists as two monitors.
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"
wine_setup xinerama 1024x768 800x600
[ "$SCREEN_W" -eq 1824 ] && [ "$SCREEN_H" -eq 768 ] ||
  fail "the X server did not make a 1824 x 768 desktop: $SCREEN_W x $SCREEN_H"

wine_setting total_fizzlet 100
wine_setting pop_chance 2
wine_setting audio_on 0
wine_saver_up

geometry=$(xdotool getwindowgeometry "$SAVER_WINDOW")
echo "$geometry" | grep -q "Position: 0,0" && echo "$geometry" | grep -q "Geometry: 1824x768" ||
  fail "the window does not cover both monitors: $geometry"

sleep 3
shot monitors
band=48  # the kernels (32 pixels high) roll in the bottom rows of their monitor
left=$(gold_pixels monitors "1024x$band+0+$((768 - band))")
right=$(gold_pixels monitors "800x$band+1024+$((600 - band))")
# (Below the right monitor lies no monitor; what a screenshot shows there is
# the X server's, not the saver's.)  One animation over the whole window
# would roll its kernels 168 rows lower, out of the right monitor's sight.
note "kernel-gold pixels along the bottom: left monitor $left, right monitor $right"
[ "$left" -ge 300 ] || fail "no kernels along the left monitor's bottom edge"
[ "$right" -ge 300 ] || fail "no kernels along the right monitor's bottom edge"

wine_stop_saver
pass
