#!/usr/bin/env bash
# Helpers of the saver window's end-to-end tests (test_saver_*.sh): a
# throwaway Wine prefix on the ctest session's display (or a private Xvfb),
# starting fizzlet.scr, finding and timing its window, screenshots and pixel
# counts.  Sourced, never run by itself.

# The E2E tests run under Xvfb with no window manager.  Wine treats a
# full-screen popup as "managed" and, when hiding it, waits up to two seconds
# for a window manager to confirm; with none there, every closing window would
# linger for those two seconds.  Managed=N is the right Wine setting for a
# display without a window manager.
unmanaged_windows() {
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
}

fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "  $*"; }

SAVER_CAPTION="screen saver running"
CONFIG_KEY='HKCU\Software\Tarvo Fizzlet Screen Saver\Config'

# saver_session_start NAME [WIDTHxHEIGHT]: fresh prefix; the session display,
# or (standalone, or when a size is asked for) a private Xvfb on :220-:239.
saver_session_start() {
  export WINEDEBUG=-all
  session_dir=$(mktemp -d "/tmp/fizzlet-e2e-$1.XXXXXX")
  shots="$session_dir/shots"
  mkdir -p "$shots"
  export WINEPREFIX="$session_dir/prefix"
  xvfb_pid=""
  saver_pid=""
  local size="${2:-}"
  if [ -z "$size" ] && [ -n "${FIZZLET_WINE_STATE:-}" ] && [ -f "$FIZZLET_WINE_STATE/env" ]; then
    # shellcheck disable=SC1091
    DISPLAY=$(. "$FIZZLET_WINE_STATE/env"; echo "$DISPLAY")
  elif [ -n "$size" ] || [ -z "${DISPLAY:-}" ]; then
    local n
    for n in $(seq 220 239); do
      if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
        setsid Xvfb ":$n" -screen 0 "${size:-1280x1024}x24" -nolisten tcp >/dev/null 2>&1 </dev/null &
        xvfb_pid=$!
        DISPLAY=":$n"
        for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
        break
      fi
    done
  fi
  export DISPLAY
  trap saver_session_stop EXIT
  setsid wineserver -p >/dev/null 2>&1 </dev/null
  setsid wine cmd /c exit >/dev/null 2>&1 </dev/null
  unmanaged_windows
  [ -n "${FIZZLET_SCR:-}" ] && [ -f "$FIZZLET_SCR" ] || fail "FIZZLET_SCR does not name the built saver"
  screen_size=$(xdpyinfo 2>/dev/null | awk '/dimensions:/ {print $2; exit}')
  [ -n "$screen_size" ] || screen_size=$(xdotool getdisplaygeometry 2>/dev/null | tr ' ' x)
  screen_w=${screen_size%x*}
  screen_h=${screen_size#*x}
}

saver_session_stop() {
  if [ -n "$saver_pid" ]; then kill "$saver_pid" 2>/dev/null; fi
  wineserver -k >/dev/null 2>&1
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; fi
  if [ -n "${FIZZLET_KEEP_SHOTS:-}" ]; then
    mkdir -p "$FIZZLET_KEEP_SHOTS" && cp "$shots"/*.png "$FIZZLET_KEEP_SHOTS"/ 2>/dev/null
  fi
  rm -rf "$session_dir"
}

set_setting() {  # name text
  wine reg add "$CONFIG_KEY" /v "$1" /d "$2" /f >/dev/null 2>&1 </dev/null || fail "reg add $1"
}

# start_saver [path of fizzlet.scr]: runs it with /s and waits for its window
# ($saver_win).
start_saver() {
  wine "${1:-$FIZZLET_SCR}" /s >/dev/null 2>&1 </dev/null &
  saver_pid=$!
  saver_win=$(wait_for_window 20) || fail "the saver window never appeared"
}

saver_windows() { xdotool search --onlyvisible --name "^$SAVER_CAPTION\$" 2>/dev/null; }
saver_window_count() { saver_windows | wc -l; }
wait_for_window() {  # seconds: prints the window id
  local i id
  for i in $(seq $(($1 * 10))); do
    id=$(saver_windows | head -n 1)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  return 1
}

now_ms() { date +%s%3N; }
# ms_until_gone LIMIT_MS: polls until no saver window is left; prints the
# milliseconds since $t0 (set by the caller just before acting), or fails.
ms_until_gone() {
  while [ -n "$(saver_windows)" ]; do
    [ $(($(now_ms) - t0)) -le "$1" ] || return 1
    sleep 0.02
  done
  echo $(($(now_ms) - t0))
}

# The saver has the keyboard (no window manager: windowfocus, not activate).
focus_saver() { xdotool windowfocus "$saver_win" 2>/dev/null; sleep 0.2; }

# press KEY...: a key on the saver, $t0 = the moment it was sent.
press() { focus_saver; t0=$(now_ms); xdotool key "$@"; }

stop_saver() {  # ends a saver that a test leaves running
  if [ -n "$(saver_windows)" ]; then press Escape; ms_until_gone 5000 >/dev/null; fi
  wait "$saver_pid" 2>/dev/null
  saver_pid=""
}

shot() { import -window root "$shots/$1.png" 2>/dev/null || fail "screenshot $1"; }

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
