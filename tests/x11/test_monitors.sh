#!/usr/bin/env bash
# Two monitors of different sizes (Xinerama, no RandR; Xvfb puts both at the
# top-left corner, so the smaller one shows part of the larger): the saver's
# own window and the root window both give each monitor its own kernels along
# its own bottom edge.
set -u
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"
x11_setup 1280x720x24 -screen 1 800x600x24 +xinerama -extension RANDR

for placement in --fullscreen -root; do
  x11_start "$placement" -count 100 -pop-chance 1 -no-music
  large=$(x11_wait_gold "$X11_DIR/shot.png" 1280x45+0+675 15) ||
    x11_fail "$placement: no kernels along the bottom of the 1280x720 monitor ($large)"
  small=$(x11_wait_gold "$X11_DIR/shot.png" 800x45+0+555 15) ||
    x11_fail "$placement: no kernels along the bottom of the 800x600 monitor ($small)"
  x11_log "$placement: gold along the bottoms of 1280x720: $large, of 800x600: $small"
  kill "$X11_SAVER_PID"
  x11_wait_exit 5 || x11_fail "$placement: SIGTERM did not end the saver"
done
x11_pass
