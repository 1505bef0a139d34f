#!/usr/bin/env bash
# Helpers of the saver window's end-to-end tests (test_saver_*.sh), on top of
# the shared lib.sh: starting fizzlet.scr and timing its window, settings,
# screenshots and pixel counts.  Sourced, never run by itself.

# shellcheck source=lib.sh
. "${FIZZLET_E2E_LIB:-$(dirname "${BASH_SOURCE[0]}")/lib.sh}"

fail() { e2e_fail "$@"; }
note() { echo "  $*"; }

SAVER_CAPTION="screen saver running"
CONFIG_KEY='HKCU\Software\Tarvo Fizzlet Screen Saver\Config'

# saver_session_start: lib.sh's prefix and display, plus the screen's size
# ($screen_w x $screen_h) and a folder for screenshots ($shots).
saver_session_start() {
  e2e_setup
  [ -n "${FIZZLET_SCR:-}" ] && [ -f "$FIZZLET_SCR" ] || fail "FIZZLET_SCR does not name the built saver"
  shots="$E2E_DIR/shots"
  mkdir -p "$shots"
  local size
  size=$(xdpyinfo 2>/dev/null | awk '/dimensions:/ {print $2; exit}')
  [ -n "$size" ] || size=$(xdotool getdisplaygeometry 2>/dev/null | tr ' ' x)
  screen_w=${size%x*}
  screen_h=${size#*x}
  trap saver_session_stop EXIT
}

saver_session_stop() {
  if [ -n "${FIZZLET_KEEP_SHOTS:-}" ]; then
    mkdir -p "$FIZZLET_KEEP_SHOTS" && cp "$shots"/*.png "$FIZZLET_KEEP_SHOTS"/ 2>/dev/null
  fi
  e2e_cleanup
}

set_setting() {  # name text
  wine reg add "$CONFIG_KEY" /v "$1" /d "$2" /f >/dev/null 2>&1 </dev/null || fail "reg add $1"
}

# start_saver [path of fizzlet.scr]: runs it with /s and waits for its
# window ($saver_win); $saver_pid is the wine process.
start_saver() {
  wine "${1:-$FIZZLET_SCR}" /s >/dev/null 2>&1 </dev/null &
  saver_pid=$!
  E2E_PIDS+=("$saver_pid")
  saver_win=$(e2e_wait_window "$SAVER_CAPTION" 20) || fail "the saver window never appeared"
}

saver_window_count() { e2e_window_count "$SAVER_CAPTION"; }

# ms_until_gone LIMIT_MS: polls until no saver window is left; prints the
# milliseconds since $t0 (set by the caller just before acting), or returns 1
# after LIMIT_MS.
ms_until_gone() {
  while [ -n "$(e2e_windows "$SAVER_CAPTION")" ]; do
    [ $(($(e2e_now_ms) - t0)) -le "$1" ] || return 1
    sleep 0.02
  done
  echo $(($(e2e_now_ms) - t0))
}

# The saver has the keyboard (no window manager: windowfocus, not activate).
focus_saver() { xdotool windowfocus "$saver_win" 2>/dev/null; sleep 0.2; }

# press KEY...: keys on the saver; $t0 = the moment they were sent.
press() { focus_saver; t0=$(e2e_now_ms); xdotool key "$@"; }

# Waits for the saver process after its window has gone.
reap_saver() { wait "$saver_pid" 2>/dev/null; local rc=$?; saver_pid=""; return $rc; }

# end_with_key KEY: presses KEY on the saver and prints the milliseconds until
# its window went.  Activity seen in the last frame of an 80-frame activity
# window is discarded by design, so a key has a 1 in 80 chance of being
# ignored; one more press is then allowed (and reported on stderr).
end_with_key() {
  local ms
  press "$1"
  if ms=$(ms_until_gone 1500); then echo "$ms"; return 0; fi
  echo "  ($1 landed in the last frame of an activity window; pressed again)" >&2
  press "$1"
  ms_until_gone 1500
}

stop_saver() {  # ends a saver that a test leaves running
  if [ -n "$(e2e_windows "$SAVER_CAPTION")" ]; then end_with_key Escape >/dev/null; fi
  reap_saver
}

shot() { e2e_screenshot "$shots/$1.png" || fail "screenshot $1"; }

# colour_pixels SHOT X Y W H MIN_RED_MINUS_BLUE: pixels in the rectangle with
# red above 35 % and red - blue above the given percentage, by channel
# arithmetic (-fx is far slower).
colour_pixels() {
  convert "$shots/$1.png" -crop "$4x$5+$2+$3" +repage -separate \
    \( -clone 0 -clone 2 -compose minus_src -composite -threshold "$6%" \) \
    \( -clone 0 -threshold 35% \) -delete 0-2 -compose multiply -composite \
    -format '%[fx:round(mean*w*h)]\n' info: 2>/dev/null
}
# gold_pixels SHOT X Y W H: the deep gold of unpopped kernels (pieces are a
# paler cream and hardly count).
gold_pixels() { colour_pixels "$@" 40; }
# warm_pixels SHOT X Y W H: any colour of the animation, gold or cream.
warm_pixels() { colour_pixels "$@" 8; }
# lit_pixels SHOT X Y W H: pixels that are not black.
lit_pixels() {
  convert "$shots/$1.png" -crop "$4x$5+$2+$3" +repage -colorspace Gray -threshold 4% \
    -format '%[fx:round(mean*w*h)]\n' info: 2>/dev/null
}
