#!/usr/bin/env bash
# Helpers that drive fizzlet.scr under Wine on an X display: for the
# end-to-end tests, tools/run.sh, tools/measure-saver.sh and tools/soak.sh.
# Source it, then call e2e_setup:
#
#   . "$FIZZLET_E2E_LIB"
#   e2e_setup                      # prefix (own registry), display, cleanup
#   e2e_saver_up                   # /s in the background, waits for its window
#   e2e_shot early                 # $E2E_SHOTS/early.png
#   e2e_gold_pixels early 0 0 "$E2E_SCREEN_W" "$E2E_SCREEN_H"
#   ms=$(e2e_saver_end_with_key space) || e2e_fail "a key did not end it"
#   e2e_reap_saver
#   e2e_pass
#
# ctest gives FIZZLET_SCR (the saver), FIZZLET_WINE_STATE (the session's
# display and booted template prefix), FIZZLET_HOLD_WINDOW (a helper program
# that shows a window with a given caption).  A test copies the session's
# template prefix and never boots one of its own while a template exists.
# Run by hand (no session), it starts its own Xvfb when DISPLAY is unset and
# boots a fresh prefix (about 20 s).
#
# Set before e2e_setup, all optional:
#   E2E_SCREEN=WxH     size of a display started here (default 1280x1024)
#   E2E_OWN_DISPLAY=1  start a display of our own even when one is set
#   E2E_DUAL_DISPLAY=1 start an X server with two monitors side by side
#                      (E2E_DUAL_SCREENS, default "1024x768 800x600"; the Xorg
#                      dummy driver in a Xinerama layout, run as root)
#   E2E_PREFIX=DIR     keep the Wine prefix in DIR (booted once, then reused)
#                      instead of a throwaway one
#   FIZZLET_E2E_SHOTS=DIR  keep the screenshots in DIR/<test name>/
#
# Captions are matched whole; they must not contain regular-expression
# characters.  Every helper is safe under "set -u"; none relies on "set -e".

set -u
export WINEDEBUG=-all

E2E_NAME=$(basename "${0%.sh}")
E2E_DIR=""          # scratch folder of this test, removed at the end
E2E_PIDS=()         # background processes to end at the end
E2E_XVFB_PID=""     # an X server started here (Xvfb or Xorg)
E2E_SAVER_PID=""
E2E_SAVER_WIN=""    # X window of the saver started by e2e_saver_up
E2E_SHOTS=""        # screenshots of e2e_shot, kept when FIZZLET_E2E_SHOTS is set
E2E_SCREEN_W=0 E2E_SCREEN_H=0
E2E_T0=0            # when the last e2e_saver_press sent its keys (ms)
E2E_SAVER_CAPTION="screen saver running"
E2E_CONFIG_KEY='HKCU\Software\Tarvo Fizzlet Screen Saver\Config'

e2e_log() { echo "[$E2E_NAME] $*"; }
# An indented line of figures or findings.
e2e_note() { echo "  $*"; }

e2e_fail() {
  echo "[$E2E_NAME] FAIL: $*" >&2
  exit 1
}

e2e_pass() {
  e2e_log "passed"
  exit 0
}

# Starts an X server on a free display (chosen by the server itself) and
# exports DISPLAY: Xvfb with one E2E_SCREEN screen, or with E2E_DUAL_DISPLAY
# the Xorg dummy driver with two monitors side by side.
e2e_start_display() {
  local numbers="$E2E_DIR/display" command=(Xvfb -screen 0 "${E2E_SCREEN:-1280x1024}x24")
  if [ -n "${E2E_DUAL_DISPLAY:-}" ]; then
    e2e_dual_config "$E2E_DIR/xorg.conf" ${E2E_DUAL_SCREENS:-1024x768 800x600}
    mkdir -p "$E2E_DIR/xorg.conf.d"
    command=(Xorg -config "$E2E_DIR/xorg.conf" -configdir "$E2E_DIR/xorg.conf.d"
            -logfile "$E2E_DIR/xorg.log" -novtswitch -sharevts -keeptty)
  fi
  setsid "${command[@]}" -nolisten tcp -noreset -displayfd 3 3>"$numbers" >/dev/null 2>&1 </dev/null &
  E2E_XVFB_PID=$!
  local _
  for _ in $(seq 100); do
    [ -s "$numbers" ] && break
    sleep 0.1
  done
  [ -s "$numbers" ] || e2e_fail "the X server ${command[0]} did not start"
  export DISPLAY=":$(head -n 1 "$numbers")"
}

# Writes an Xorg configuration with one dummy screen per size given (WxH),
# placed left to right in one Xinerama desktop.
e2e_dual_config() {
  local file="$1" size w h i=0
  shift
  cat > "$file" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "Xinerama" "true"
EndSection
CONF
  for size in "$@"; do
    w=${size%x*} h=${size#*x}
    # A mode of that size with 60 Hz timings, which the dummy driver accepts.
    cat >> "$file" <<CONF
Section "Monitor"
  Identifier "monitor$i"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
  Modeline "$size" $(awk -v w="$w" -v h="$h" 'BEGIN {printf "%.2f", (w + 304) * (h + 30) * 60 / 1e6}') $w $((w + 48)) $((w + 152)) $((w + 304)) $h $((h + 3)) $((h + 7)) $((h + 30))
EndSection
Section "Device"
  Identifier "card$i"
  Driver "dummy"
  VideoRam 65536
EndSection
Section "Screen"
  Identifier "screen$i"
  Device "card$i"
  Monitor "monitor$i"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "$size"
  EndSubSection
EndSection
CONF
    i=$((i + 1))
  done
  {
    echo 'Section "ServerLayout"'
    echo '  Identifier "layout"'
    echo '  Screen 0 "screen0" 0 0'
    for ((i = 1; i < $#; i++)); do echo "  Screen $i \"screen$i\" RightOf \"screen$((i - 1))\""; done
    echo 'EndSection'
  } >> "$file"
}

# Makes the Wine prefix (a copy of the session's booted template when there
# is one, else E2E_PREFIX or a fresh throwaway one, booted here), starts its
# wineserver, makes sure there is a display, and arranges for everything to
# be cleaned up when the script exits.
e2e_setup() {
  E2E_DIR=$(mktemp -d "/tmp/fizzlet-e2e-$E2E_NAME.XXXXXX")
  E2E_SHOTS="${FIZZLET_E2E_SHOTS:-$E2E_DIR}/$E2E_NAME"
  trap e2e_cleanup EXIT
  local template=""
  if [ -n "${FIZZLET_WINE_STATE:-}" ] && [ -f "$FIZZLET_WINE_STATE/env" ]; then
    local TEMPLATE="" DISPLAY_FROM_SESSION=""
    # shellcheck disable=SC1091
    DISPLAY_FROM_SESSION=$(. "$FIZZLET_WINE_STATE/env"; echo "$DISPLAY")
    TEMPLATE=$(. "$FIZZLET_WINE_STATE/env"; echo "${TEMPLATE:-}")
    [ -n "$DISPLAY_FROM_SESSION" ] && export DISPLAY="$DISPLAY_FROM_SESSION"
    [ -n "$TEMPLATE" ] && [ -d "$TEMPLATE" ] && template="$TEMPLATE"
  fi
  if [ -z "${DISPLAY:-}" ] || [ -n "${E2E_OWN_DISPLAY:-}" ] || [ -n "${E2E_DUAL_DISPLAY:-}" ]; then
    e2e_start_display
  fi
  local size
  size=$(xdpyinfo 2>/dev/null | awk '/dimensions:/ {print $2; exit}')
  E2E_SCREEN_W=${size%x*}
  E2E_SCREEN_H=${size#*x}
  # Output to /dev/null and a session of their own: Wine's services must not
  # hold ctest's (or the caller's) pipes open.
  if [ -n "$template" ]; then
    export WINEPREFIX="$E2E_DIR/prefix"
    cp -a "$template" "$WINEPREFIX"
    setsid wineserver -p >/dev/null 2>&1 </dev/null
  else
    export WINEPREFIX="${E2E_PREFIX:-$E2E_DIR/prefix}"
    mkdir -p "$WINEPREFIX"
    # The first start creates and boots the prefix; the server then stays.
    setsid wine cmd /c exit >/dev/null 2>&1 </dev/null
    setsid wineserver -p >/dev/null 2>&1 </dev/null
    # No window manager runs on the test display.  Wine treats full-screen
    # popups as managed and, when one closes, waits up to two seconds for a
    # window manager that never answers; unmanaged windows close at once.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
  fi
  if [ -n "${E2E_DUAL_DISPLAY:-}" ]; then
    # Wine's XVidMode settings handler fails on a second Xinerama monitor
    # and leaves Wine with the first one only.  Wine lists the monitors when
    # its desktop process starts: start it again after the change.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXVidMode /d N /f >/dev/null 2>&1 </dev/null
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
    setsid wineserver -p >/dev/null 2>&1 </dev/null
  fi
  return 0
}

# Ends what this script started (the saver, helpers, the prefix's wineserver,
# an X server of its own) and removes the scratch folder.  Nothing in it can
# stop it half-way.
e2e_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  if [ -n "$E2E_XVFB_PID" ]; then
    kill "$E2E_XVFB_PID" 2>/dev/null || true
    wait "$E2E_XVFB_PID" 2>/dev/null || true
  fi
  [ -n "$E2E_DIR" ] && rm -rf "$E2E_DIR"
  return 0
}

# Milliseconds since the epoch.
e2e_now_ms() { date +%s%3N; }

# Starts the saver in the background with the given switches.
e2e_start_saver() {
  wine "$FIZZLET_SCR" "$@" >/dev/null 2>&1 </dev/null &
  E2E_SAVER_PID=$!
  E2E_PIDS+=("$E2E_SAVER_PID")
}

# Runs the saver with the given switches and waits for it to end, at most
# TIMEOUT seconds (first argument).  Sets E2E_ELAPSED_MS and returns the
# saver's exit status, or 124 when it had to be stopped.
e2e_run_saver() {
  local limit="$1"
  shift
  local start
  start=$(e2e_now_ms)
  timeout -k 2 "$limit" wine "$FIZZLET_SCR" "$@" >/dev/null 2>&1 </dev/null
  local rc=$?
  E2E_ELAPSED_MS=$(($(e2e_now_ms) - start))
  return $rc
}

# Shows a window with the given caption (through the hold-window helper) and
# waits until it is on the display.  It lives until the test ends.
e2e_hold_window() {
  local caption="$1" seconds="${2:-120}"
  wine "$FIZZLET_HOLD_WINDOW" "$caption" "$seconds" >/dev/null 2>&1 </dev/null &
  E2E_PIDS+=("$!")
  e2e_wait_window "$caption" 20 >/dev/null
}

# X window ids whose title is exactly CAPTION, one a line.
e2e_windows() { xdotool search --name "^$1\$" 2>/dev/null || true; }

# Number of windows titled exactly CAPTION.
e2e_window_count() {
  local ids
  ids=$(e2e_windows "$1")
  if [ -z "$ids" ]; then echo 0; else echo "$ids" | wc -l; fi
}

# Waits up to TIMEOUT seconds (default 10) for a window titled CAPTION and
# prints its id; returns 1 when none appeared.
e2e_wait_window() {
  local caption="$1" limit="${2:-10}"
  local deadline=$(($(e2e_now_ms) + limit * 1000))
  local id
  while [ "$(e2e_now_ms)" -lt "$deadline" ]; do
    id=$(e2e_windows "$caption" | head -n 1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Waits up to TIMEOUT seconds (default 10) until no window is titled
# CAPTION; returns 1 when one is still there.  (A Wine process that has ended
# can linger for a moment, so tests judge "ended" by its window.)
e2e_wait_no_window() {
  local caption="$1" limit="${2:-10}"
  local deadline=$(($(e2e_now_ms) + limit * 1000))
  while [ "$(e2e_now_ms)" -lt "$deadline" ]; do
    [ -z "$(e2e_windows "$caption")" ] && return 0
    sleep 0.1
  done
  return 1
}

# Gives the window titled CAPTION the keyboard and waits until X reports
# that it has it, so that no typed letter goes astray.
e2e_focus() {
  local id i
  id=$(e2e_windows "$1" | head -n 1)
  [ -n "$id" ] || return 1
  for i in $(seq 20); do
    xdotool windowfocus "$id" 2>/dev/null
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$id" ] && { sleep 0.1; return 0; }
    sleep 0.1
  done
  return 1
}

# Gives the window titled CAPTION the keyboard and presses KEY (an xdotool
# key name: a, space, Return, Escape, ...).
#
# The key goes through XTEST to whatever has the keyboard, press and release
# alike.  (xdotool's --window chooses per event: a window that goes away or
# loses the keyboard on the press gets its release as a sent event, and the
# X server then holds the key down and repeats it into the next window.)
e2e_key() {
  e2e_focus "$1" || return 1
  xdotool key "$2"
}

# Types TEXT into the window titled CAPTION.
e2e_type() {
  e2e_focus "$1" || return 1
  xdotool type --delay 50 "$2"
}

# Saves the whole display as a PNG file.
e2e_screenshot() { import -display "$DISPLAY" -window root "$1" 2>/dev/null; }

# Prints the data of a registry value in this test's prefix, or nothing
# (status 1) when it does not exist.  KEY like 'HKCU\Software\X'.
e2e_reg_query() {
  local out
  out=$(wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r') || return 1
  echo "$out" | awk -v name="$2" '$1 == name { sub(/^[ \t]*[^ \t]+[ \t]+[^ \t]+[ \t]*/, ""); print; found=1 } END { exit !found }'
}

# Writes a registry value: e2e_reg_add KEY NAME TYPE DATA (TYPE REG_SZ, REG_DWORD).
e2e_reg_add() {
  wine reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null 2>&1
}

# True when the registry key exists in this test's prefix.
e2e_reg_key_exists() { wine reg query "$1" >/dev/null 2>&1; }

# --- The saver window ------------------------------------------------------

# Writes a setting of the saver: e2e_setting NAME TEXT.
e2e_setting() {
  wine reg add "$E2E_CONFIG_KEY" /v "$1" /d "$2" /f >/dev/null 2>&1 </dev/null ||
    e2e_fail "could not write the setting $1"
}

# e2e_saver_up [path of fizzlet.scr]: runs it with /s in the background and
# waits for its window ($E2E_SAVER_WIN); $E2E_SAVER_PID is the wine process.
e2e_saver_up() {
  wine "${1:-$FIZZLET_SCR}" /s >/dev/null 2>&1 </dev/null &
  E2E_SAVER_PID=$!
  E2E_PIDS+=("$E2E_SAVER_PID")
  E2E_SAVER_WIN=$(e2e_wait_window "$E2E_SAVER_CAPTION" 20) ||
    e2e_fail "the saver window never appeared"
}

# The Linux process id of the running fizzlet.scr of this prefix (the wine
# launcher only waits for it), or nothing.
e2e_saver_unix_pid() {
  local p name
  name=$(basename "${FIZZLET_SCR:-fizzlet.scr}" | cut -c1-15)
  for p in $(pgrep -x "$name" 2>/dev/null); do
    if tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
      echo "$p"
      return 0
    fi
  done
  return 1
}

# Polls until no saver window is left, at most LIMIT_MS after $E2E_T0 (set
# just before acting), and prints the milliseconds since then; returns 1
# when the window is still there.
e2e_ms_until_gone() {
  while [ -n "$(e2e_windows "$E2E_SAVER_CAPTION")" ]; do
    [ $(($(e2e_now_ms) - E2E_T0)) -le "$1" ] || return 1
    sleep 0.02
  done
  echo $(($(e2e_now_ms) - E2E_T0))
}

# e2e_saver_press KEY...: gives the saver the keyboard and presses the keys;
# $E2E_T0 is the moment they were sent.
e2e_saver_press() {
  e2e_focus "$E2E_SAVER_CAPTION" || e2e_fail "could not give the saver the keyboard"
  E2E_T0=$(e2e_now_ms)
  xdotool key "$@"
}

# Waits for the saver process after its window has gone; its exit status.
e2e_reap_saver() {
  local rc=0
  [ -n "$E2E_SAVER_PID" ] && { wait "$E2E_SAVER_PID" 2>/dev/null; rc=$?; }
  E2E_SAVER_PID=""
  return $rc
}

# e2e_saver_end_with_key KEY: presses KEY on the saver and prints the
# milliseconds until its window went.  Activity seen in the last frame of an 80-frame
# activity window is discarded by design, so a key has a 1 in 80 chance of
# being ignored; one more press is then allowed (and reported on stderr).
e2e_saver_end_with_key() {
  e2e_saver_press "$1"
  e2e_ms_until_gone 1500 && return 0
  echo "  ($1 landed in the last frame of an activity window; pressed again)" >&2
  e2e_saver_press "$1"
  e2e_ms_until_gone 1500
}

# Ends a saver that a test leaves running, and waits for its process.
e2e_stop_saver() {
  if [ -n "$(e2e_windows "$E2E_SAVER_CAPTION")" ]; then e2e_saver_end_with_key Escape >/dev/null; fi
  e2e_reap_saver
}

# e2e_colour_pixels SHOT X Y W H MIN_RED_MINUS_BLUE: pixels of the screenshot
# SHOT (taken with e2e_shot) in the rectangle with red above 35 % and red -
# blue above the given percentage, by channel arithmetic (-fx is far slower).
e2e_colour_pixels() {
  convert "$E2E_SHOTS/$1.png" -crop "$4x$5+$2+$3" +repage -separate \
    \( -clone 0 -clone 2 -compose minus_src -composite -threshold "$6%" \) \
    \( -clone 0 -threshold 35% \) -delete 0-2 -compose multiply -composite \
    -format '%[fx:round(mean*w*h)]\n' info: 2>/dev/null
}
# e2e_gold_pixels SHOT X Y W H: the deep gold of unpopped kernels (pieces are
# a paler cream and hardly count).
e2e_gold_pixels() { e2e_colour_pixels "$@" 40; }
# e2e_warm_pixels SHOT X Y W H: any colour of the animation, gold or cream.
e2e_warm_pixels() { e2e_colour_pixels "$@" 8; }
# e2e_lit_pixels SHOT X Y W H: pixels that are not black.
e2e_lit_pixels() {
  convert "$E2E_SHOTS/$1.png" -crop "$4x$5+$2+$3" +repage -colorspace Gray -threshold 4% \
    -format '%[fx:round(mean*w*h)]\n' info: 2>/dev/null
}

# e2e_figures_setup WxH: the figures scripts' set-up: the saver to measure
# (FIZZLET_SCR, else build/windows/bin/fizzlet.scr, built here), a display of
# their own of that size, and a prefix (e2e_setup).  Run from the
# repository's top folder.
e2e_figures_setup() {
  if [ -z "${FIZZLET_SCR:-}" ]; then
    { cmake --preset windows && cmake --build --preset windows --target fizzlet_scr; } >/dev/null ||
      e2e_fail "could not build fizzlet.scr"
    export FIZZLET_SCR="$PWD/build/windows/bin/fizzlet.scr"
  fi
  E2E_OWN_DISPLAY=1 E2E_SCREEN="$1"
  e2e_setup
}

# e2e_logged_saver_up KERNELS POP AUDIO: the figures scripts' saver: writes
# the settings, starts /s with its frame log in $E2E_FRAME_LOG (see
# FIZZLET_FRAME_LOG in the README), waits for its window and finds its Linux
# process ($E2E_SAVER_UNIX_PID).  $E2E_LAUNCHED_MS is when wine was started.
e2e_logged_saver_up() {
  e2e_setting total_fizzlet "$1"
  e2e_setting pop_chance "$2"
  e2e_setting audio_on "$3"
  E2E_FRAME_LOG="$E2E_DIR/frames.log"
  E2E_LAUNCHED_MS=$(e2e_now_ms)
  FIZZLET_FRAME_LOG="$(winepath -w "$E2E_FRAME_LOG" 2>/dev/null)" e2e_saver_up
  E2E_SAVER_UNIX_PID=$(e2e_saver_unix_pid) || e2e_fail "the saver process was not found"
}

# Waits up to TIMEOUT seconds (default 10) for a line of FILE that matches
# the extended regular expression PATTERN and prints the first such line;
# returns 1 when none appeared.  For logs that helper programs write.
e2e_wait_line() {
  local file="$1" pattern="$2" limit="${3:-10}"
  local deadline=$(($(e2e_now_ms) + limit * 1000))
  local line
  while [ "$(e2e_now_ms)" -lt "$deadline" ]; do
    line=$(grep -E -m 1 -- "$pattern" "$file" 2>/dev/null)
    if [ -n "$line" ]; then
      echo "$line"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# --- Dialogs -------------------------------------------------------------
# The window titled CAPTION as the inspection helper reports it (ctest gives
# FIZZLET_INSPECT_WINDOW):
#   window <enabled> <client width> <client height> <client left> <client top>
#   control <id> <class> <x> <y> <width> <height> <visible> <value> <text>
# Status 1 when there is no such window.
e2e_inspect() {
  local out
  out=$(wine "$FIZZLET_INSPECT_WINDOW" "$1" 2>/dev/null </dev/null) || return 1
  printf '%s\n' "$out" | tr -d '\r'
}

# Clicks the middle of control ID in the window titled CAPTION.
e2e_click_control() {
  local out origin place
  out=$(e2e_inspect "$1") || return 1
  origin=$(printf '%s\n' "$out" | awk '$1 == "window" { print $5, $6 }')
  place=$(printf '%s\n' "$out" | awk -v id="$2" '$1 == "control" && $2 == id { print $4, $5, $6, $7 }')
  [ -n "$origin" ] && [ -n "$place" ] || return 1
  local ox oy x y w h
  read -r ox oy <<<"$origin"
  read -r x y w h <<<"$place"
  xdotool mousemove $((ox + x + w / 2)) $((oy + y + h / 2)) click 1
}

# Sends the window titled CAPTION a close request (WM_CLOSE) from outside.
e2e_close_request() { wine "$FIZZLET_INSPECT_WINDOW" "$1" close >/dev/null 2>&1 </dev/null; }

# Gives the window titled CAPTION the keyboard (confirmed) and presses the
# KEYS (xdotool key names) one after the other.
e2e_press() {
  local caption="$1"
  shift
  e2e_focus "$caption" || e2e_fail "could not give \"$caption\" the keyboard"
  xdotool key --delay 80 "$@"
}

# A screenshot named NAME.png in $FIZZLET_E2E_SHOTS/<test name>/ (kept), or
# in the test's scratch folder when that is not set.
e2e_shot() {
  local folder="${FIZZLET_E2E_SHOTS:-$E2E_DIR}/$E2E_NAME"
  mkdir -p "$folder"
  e2e_screenshot "$folder/$1.png"
}

# The stored ("misc") form of a password: each character XOR the key
# character after its position, written as two letters.
e2e_scramble() {
  python3 -c 'import sys
k = "qeLWN"
print("".join(chr(ord("z") - (x >> 4)) + chr(ord("a") + (x & 15))
              for x in (ord(c) ^ ord(k[i % 5]) for i, c in enumerate(sys.argv[1], 1))))' "$1"
}

