#!/usr/bin/env bash
# The native saver on Wayland, in a headless sway with two outputs of
# different sizes: kernels along both bottom edges (one surface per output);
# a dozen pointer moves leave it running, a burst ends it; a typed key ends
# it; an output removed while it runs loses its surface and the other one
# goes on; the compositor's end ends it; swayidle starts it after a second
# of idleness.  Skipped (77) when not root (sway runs as a user made here).
set -u
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"

start_sway 1280x720
cp "$FIZZLET_TEST_POINTER" "$WORK_DIR/pointer"
swaymsg create_output >/dev/null || fail "no second output"
swaymsg output HEADLESS-2 resolution 1024x768 >/dev/null
saver=(-count 40 -pop-chance 1 -no-music)
bottoms=(1280x40+0+680 1024x40+1280+728)

# Kernels along the bottom of each output, each its own height.
both_bottoms() {
  wait_gold "$1" "${bottoms[0]}" 15 >/dev/null || fail "$2: no kernels on HEADLESS-1"
  wait_gold "$1" "${bottoms[1]}" 15 >/dev/null || fail "$2: no kernels on HEADLESS-2"
}

wayland_start "${saver[@]}"
both_bottoms two "two outputs"
log "kernels along both bottom edges"
as_sway_user "$WORK_DIR/pointer" 12 20 || fail "the test pointer did not run"
sleep 1
native_running || fail "a dozen pointer moves ended the saver"
as_sway_user "$WORK_DIR/pointer" 100 10
native_wait_exit 5 || fail "a burst of pointer motion did not end the saver"
[ "$SAVER_STATUS" -eq 0 ] || fail "exit status $SAVER_STATUS after the burst"
log "a dozen moves left it running, a burst ended it"

wayland_start "${saver[@]}"
both_bottoms key "before a key"
end_with_key q 3000 >/dev/null || fail "a key did not end the saver"
reap_saver || fail "exit status $SAVER_STATUS after a key"
log "a key ended it"

sway_user_command swayidle -w timeout 1 "$WORK_DIR/fizzlet ${saver[*]}"
"${SWAY_COMMAND[@]}" >/dev/null 2>&1 &
BACKGROUND_PIDS+=("$!")
for _ in $(seq 50); do
  SAVER_PID=$(pgrep -f "^$WORK_DIR/fizzlet " | head -n 1)
  [ -n "$SAVER_PID" ] && break
  sleep 0.2
done
[ -n "$SAVER_PID" ] || fail "swayidle did not start the saver"
both_bottoms idle "under swayidle"
log "swayidle started it after a second of idleness"

swaymsg output HEADLESS-2 disable >/dev/null || fail "cannot remove HEADLESS-2"
sleep 1
native_running || fail "the removal of an output ended the saver"
wait_gold one "${bottoms[0]}" 15 >/dev/null || fail "no kernels on HEADLESS-1 after the removal"
log "an output removed while running: the other goes on"

kill "$SWAY_PID"
native_wait_exit 5 || fail "the saver runs on after the compositor ended"
log "the compositor's end ended it"
pass
