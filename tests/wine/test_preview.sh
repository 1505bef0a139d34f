#!/usr/bin/env bash
# /p HANDLE, as the display settings start it: the picture window goes into
# their preview window at the size of its client area and follows that size;
# a close request takes it out at once, and the saver ends soon after that or
# after the preview window is destroyed.  /p 0, /p alone, /p:1234 and the
# handle of a window that is gone end quietly: no window, no message box, the
# process simply ends.
#
# The display settings are played by fizzlet_preview_host (see its source):
# it logs what happens to log.txt and acts on command files dropped beside it.
# This Wine draws nothing for a window whose top-level window belongs to
# another process, so the picture's pixels are checked where the preview
# window belongs to the test itself (tests/win32/test_preview_window.cpp).
set -u
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"
wine_setup

# Starts a host in the folder $WORK_DIR/NAME (extra arguments go to the host).
start_host() {
  local name="$1"
  shift
  mkdir -p "$WORK_DIR/$name"
  wine "$FIZZLET_PREVIEW_HOST" "Z:$FIZZLET_SCR" "Z:$WORK_DIR/$name" "$@" >/dev/null 2>&1 </dev/null &
  BACKGROUND_PIDS+=("$!")
}

# Waits for the saver of host NAME to end and checks that it ended by itself.
expect_end() {
  local name="$1" why="$2" ended
  ended=$(wait_line "$WORK_DIR/$name/log.txt" '^ended ' 30) || fail "the saver did not end ($why)"
  set -- $ended
  [ "$3" = 0 ] || fail "the saver ended with code $3 ($why)"
  log "the saver ended $2 ms after $why"
}

# Waits for the host's log of NAME to report the picture in the preview
# window and checks its size.
expect_attached() {
  local name="$1" attached
  attached=$(wait_line "$WORK_DIR/$name/log.txt" '^attached ' 60) ||
    fail "the picture never went into the preview window ($name)"
  set -- $attached
  [ "$4 $5" = "200 150" ] || fail "the picture is $4 x $5, not the preview window's 200 x 150"
}

# 1. The picture goes into the preview window, follows its size, and the
#    saver ends when the window is destroyed.
start_host destroyed
expect_attached destroyed
touch "$WORK_DIR/destroyed/resize"
wait_line "$WORK_DIR/destroyed/log.txt" '^followed 300 220' 10 >/dev/null ||
  fail "the picture did not follow the preview window to 300 x 220"
touch "$WORK_DIR/destroyed/destroy"
expect_end destroyed "the preview window was destroyed"

# 2. A close request takes the picture out of the preview window before it
#    returns, and the saver ends.
start_host closed
expect_attached closed
touch "$WORK_DIR/closed/close"
wait_line "$WORK_DIR/closed/log.txt" '^closed 1' 10 >/dev/null ||
  fail "the picture was still in the preview window when the close request returned"
expect_end closed "the close request"

# 3. Handles that name no window, and none at all, end quietly and soon (a
#    message box would keep the process alive until the time-out).
start_host dead dead
expect_end dead "the start with the handle of a destroyed window"
grep -q '^attached' "$WORK_DIR/dead/log.txt" && fail "a picture appeared for a dead handle"
for switch in "/p 0" "/p" "/p:1234"; do
  # shellcheck disable=SC2086
  wine_run 30 $switch || fail "$switch did not end by itself (status $?)"
  log "$switch ended after $ELAPSED_MS ms"
done

pass
