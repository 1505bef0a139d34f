#!/usr/bin/env bash
# Two monitors of different sizes (Xinerama, no RandR; Xvfb puts both at the
# top-left corner, so the smaller one shows part of the larger): the saver's
# own window and the root window both give each monitor its own kernels along
# its own bottom edge.
set -u
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"
x11_setup 1280x720x24 -screen 1 800x600x24 +xinerama -extension RANDR

for placement in --fullscreen -root; do
  x11_start "$placement" -count 100 -pop-chance 1 -no-music
  large=$(wait_gold shot 1280x45+0+675 15) ||
    fail "$placement: no kernels along the bottom of the 1280x720 monitor ($large)"
  small=$(wait_gold shot 800x45+0+555 15) ||
    fail "$placement: no kernels along the bottom of the 800x600 monitor ($small)"
  log "$placement: gold along the bottoms of 1280x720: $large, of 800x600: $small"
  kill "$SAVER_PID"
  native_wait_exit 5 || fail "$placement: SIGTERM did not end the saver"
done
pass
