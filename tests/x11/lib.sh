#!/usr/bin/env bash
# Helpers for the tests of the native X11 saver.  Source it, then:
#
#   x11_setup                        # scratch folder, private Xvfb, clean-up
#   x11_start --fullscreen -no-music # the saver in the background: $X11_SAVER_PID
#   x11_wait_window fizzlet 10 || x11_fail "no window"
#   x11_screenshot "$X11_DIR/shot.png"
#   x11_golden_fraction "$X11_DIR/shot.png" 1280x40+0+680   # share of kernel-gold pixels
#   x11_wait_gold "$X11_DIR/shot.png" 1280x40+0+680 10       # the same, waiting for it
#   xdotool key a
#   x11_wait_exit 5 || x11_fail "still running"; echo "$X11_STATUS"
#   x11_pass
#
# ctest gives FIZZLET (the program) and FIZZLET_TEST_WINDOW (a helper that
# shows a window and prints its id).  Each test has its own Xvfb (so tests
# can run side by side) and its own empty settings folder.

set -u

X11_NAME=$(basename "${0%.sh}")
X11_DIR=""
X11_XVFB_PID=""
X11_SAVER_PID=""
X11_STATUS=""
X11_PIDS=()

x11_log() { echo "[$X11_NAME] $*"; }
x11_fail() {
  echo "[$X11_NAME] FAIL: $*" >&2
  if [ -n "$X11_DIR" ] && [ -s "$X11_DIR/saver.err" ]; then
    echo "[$X11_NAME] the saver said:" >&2
    cat "$X11_DIR/saver.err" >&2
  fi
  exit 1
}
x11_pass() {
  x11_log "passed"
  exit 0
}

x11_cleanup() {
  [ -n "${X11_KEEP:-}" ] && cp -r "$X11_DIR" "$X11_KEEP"
  local pid
  for pid in "${X11_PIDS[@]}" $X11_SAVER_PID; do
    kill "$pid" 2>/dev/null
  done
  [ -n "$X11_XVFB_PID" ] && kill "$X11_XVFB_PID" 2>/dev/null
  wait 2>/dev/null
  [ -n "$X11_DIR" ] && rm -rf "$X11_DIR"
}

# Starts Xvfb on a free display (SCREEN, default 1280x720x24; more arguments
# go to Xvfb) and waits until it accepts connections.  -noreset: otherwise
# the server resets whenever its last client leaves, and a client that
# connects during that reset is turned away (a short-lived client such as
# xscreensaver-command racing the daemon's own first connection).
x11_start_xvfb() {
  local screen="${1:-1280x720x24}"
  shift || true
  : >"$X11_DIR/display"
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset "$@" 3>"$X11_DIR/display" \
    >"$X11_DIR/xvfb.log" 2>&1 </dev/null &
  X11_XVFB_PID=$!
  local _
  for _ in $(seq 100); do
    [ -s "$X11_DIR/display" ] && break
    sleep 0.1
  done
  [ -s "$X11_DIR/display" ] || x11_fail "Xvfb did not start: $(cat "$X11_DIR/xvfb.log")"
  DISPLAY=":$(head -n 1 "$X11_DIR/display")"
  export DISPLAY
}

x11_setup() {
  [ -x "${FIZZLET:-}" ] || x11_fail "FIZZLET must name the built program"
  X11_DIR=$(mktemp -d "/tmp/fizzlet-x11-$X11_NAME.XXXXXX")
  trap x11_cleanup EXIT
  export XDG_CONFIG_HOME="$X11_DIR/config"
  unset XSCREENSAVER_WINDOW FIZZLET_AUDIO_FILE FIZZLET_FRAME_LOG
  x11_start_xvfb "$@"
}

# The saver in the background, its standard error in $X11_DIR/saver.err.
x11_start() {
  "$FIZZLET" "$@" 2>"$X11_DIR/saver.err" </dev/null &
  X11_SAVER_PID=$!
}

x11_running() { [ -n "$X11_SAVER_PID" ] && kill -0 "$X11_SAVER_PID" 2>/dev/null; }

# Waits up to SECONDS for the saver to end; its exit status in X11_STATUS.
x11_wait_exit() {
  local tenths=$(($1 * 10)) _
  for _ in $(seq "$tenths"); do
    x11_running || break
    sleep 0.1
  done
  x11_running && return 1
  wait "$X11_SAVER_PID"
  # shellcheck disable=SC2034  # read by the scripts that source this file
  X11_STATUS=$?
  X11_SAVER_PID=""
  return 0
}

# Waits up to SECONDS for a window named NAME; prints its id.
x11_wait_window() {
  local name="$1" tenths=$(($2 * 10)) id _
  for _ in $(seq "$tenths"); do
    id=$(xdotool search --name "^$name\$" 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

x11_screenshot() { import -window "${2:-root}" "$1" 2>/dev/null || x11_fail "no screenshot"; }

# The share (0..1) of pixels in GEOMETRY (WxH+X+Y) of an image that have a
# rolling kernel's gold: bright, with much more red than blue.
x11_golden_fraction() {
  convert "$1" -crop "$2" +repage -depth 8 rgb:- | python3 -c '
import sys
data = sys.stdin.buffer.read()
red, blue = data[0::3], data[2::3]
gold = sum(1 for r, b in zip(red, blue) if r > 127 and r - b > 76)
print(f"{gold / max(1, len(red)):.4f}")'
}

# Takes screenshots (of WINDOW, default the root window) into FILE until the
# share of gold in GEOMETRY is above 0.02, for up to SECONDS; prints the share.
x11_wait_gold() {
  local file="$1" geometry="$2" seconds="$3" window="${4:-root}" gold=0 _
  for _ in $(seq "$seconds"); do
    x11_screenshot "$file" "$window"
    gold=$(x11_golden_fraction "$file" "$geometry")
    x11_greater "$gold" 0.02 && break
    sleep 1
  done
  echo "$gold"
  x11_greater "$gold" 0.02
}

# Waits up to SECONDS for a saver in its own window to be running: kernels
# along the bottom of the screen (so the window is up and holds the
# keyboard).  The screenshot stays in $X11_DIR/ready.png.
x11_wait_ready() {
  local width height
  read -r width height < <(xdotool getdisplaygeometry)
  x11_wait_gold "$X11_DIR/ready.png" "${width}x45+0+$((height - 45))" "$1" >/dev/null
}

# Ends the running saver with a letter and checks that it exits with status
# 0.  A key that lands in the last frame of an activity window is discarded
# by design; a second press then ends it.
x11_end_with_key() {
  x11_wait_ready 15 || x11_fail "the saver is not running"
  xdotool key q
  x11_wait_exit 2 || { xdotool key q; x11_wait_exit 3; } || x11_fail "a key did not end the saver"
  [ "$X11_STATUS" -eq 0 ] || x11_fail "exit status $X11_STATUS after a key"
}

# The colour of one pixel as #RRGGBB.
x11_pixel() {
  convert "$1" -crop "1x1+$2+$3" +repage -depth 8 -format "#%[hex:p{0,0}]" info:
}

# True when A > B for decimal fractions.
x11_greater() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
