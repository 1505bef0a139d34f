#!/usr/bin/env bash
# shellcheck disable=SC2034,SC2120  # variables and optional arguments for the scripts that source it
# The one shell library of the tests and tools: an X server, the Wine
# session, building, the saver under Wine (fizzlet.scr) and the native saver
# (fizzlet), windows, keys, screenshots and the kernel-gold pixel rule, and
# the figures scripts' options and frame log.  Source it from the
# repository's scripts:
#
#   . "$(dirname "$0")/../../tools/lib.sh"     # a test in tests/wine or tests/x11
#   wine_setup                      # scratch folder, display, Wine prefix, clean-up
#   wine_saver_up                   # fizzlet.scr /s in the background, waits for its window
#   shot early                      # $SHOTS/early.png
#   gold_pixels early 1280x48+0+976 # kernel-gold pixels in that rectangle
#   ms=$(end_with_key space) || fail "a key did not end it"
#   reap_saver
#   pass
#
#   x11_setup 1280x720x24           # scratch folder, private Xvfb, clean-up
#   x11_start --fullscreen -no-music
#   wait_gold shot 1280x45+0+675 15 || fail "no kernels"
#   x11_end_with_key
#
# The Wine tests get from ctest FIZZLET_SCR (the saver), FIZZLET_WINE_STATE
# (the session's display and booted template prefix, cmake/wine-session.sh),
# FIZZLET_HOLD_WINDOW, FIZZLET_PREVIEW_HOST and FIZZLET_INSPECT_WINDOW (helper
# programs in tests/win32/tools).  A test copies the session's template prefix
# and never boots one of its own while a template exists; run by hand (no
# session) it starts its own Xvfb when DISPLAY is unset and boots a fresh
# prefix (about 20 s).  The native tests get FIZZLET (the program) and
# FIZZLET_TEST_WINDOW (a helper that shows a window and prints its id); each
# has its own Xvfb, so they can run side by side, and an empty settings
# folder.
#
# Optional settings:
#   FIZZLET_SHOTS=DIR   keep the screenshots in DIR/<script name>/
#   WINE_KEPT_PREFIX=DIR  keep the Wine prefix in DIR (booted once, then
#                       reused) instead of a throwaway one
#
# Captions are matched whole; they must not contain regular-expression
# characters.  Every helper is safe under "set -u"; none relies on "set -e",
# and the ones the tools call also run under it.

set -u
export WINEDEBUG=-all

SCRIPT_NAME=$(basename "${0%.sh}")
WORK_DIR=""         # scratch folder of this script, removed at the end
SHOTS=""            # screenshots of "shot", kept when FIZZLET_SHOTS is set
BACKGROUND_PIDS=()  # background processes to end at the end
X_SERVER_PID=""     # an X server started here (Xvfb or Xorg)
SWAY_PID=""         # a headless sway started here (start_sway)
SWAY_USER=fizzlet-saver
WINE_STARTED=""     # set when this script made a Wine prefix and its server
SAVER_KIND=""       # wine or x11: which saver the saver_* helpers drive
SAVER_PID=""        # the saver started last (for Wine, its wine launcher)
SAVER_STATUS=""     # its exit status, once reaped
SAVER_WINDOW=""     # X window of the saver started by wine_saver_up
SAVER_CAPTION="screen saver running"
CONFIG_KEY='HKCU\Software\Tarvo Fizzlet Screen Saver\Config'
SCREEN_W=0 SCREEN_H=0
ACTED_MS=0          # when saver_press sent its keys (ms)

log() { echo "[$SCRIPT_NAME] $*"; }
# An indented line of figures or findings.
note() { echo "  $*"; }

# Ends the script with a failure; what the native saver said goes with it.
fail() {
  echo "[$SCRIPT_NAME] FAIL: $*" >&2
  if [ -n "$WORK_DIR" ] && [ -s "$WORK_DIR/saver.err" ]; then
    echo "[$SCRIPT_NAME] the saver said:" >&2
    cat "$WORK_DIR/saver.err" >&2
  fi
  exit 1
}

pass() {
  log "passed"
  exit 0
}

# Milliseconds since the epoch.
now_ms() { date +%s%3N; }

# True when A > B for decimal fractions.
greater() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

# Makes the scratch folder and arranges for everything to be cleaned up
# when the script exits.
scratch_setup() {
  WORK_DIR=$(mktemp -d "/tmp/fizzlet-$SCRIPT_NAME.XXXXXX")
  SHOTS="${FIZZLET_SHOTS:-$WORK_DIR}/$SCRIPT_NAME"
  trap cleanup EXIT
}

# Ends what this script started (the savers, helpers, the prefix's
# wineserver, an X server of its own) and removes the scratch folder.
# Nothing in it can stop it half-way.
cleanup() {
  local pid
  for pid in "${BACKGROUND_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  if [ -n "$WINE_STARTED" ]; then wine_stop_server; fi
  [ -n "$X_SERVER_PID" ] && kill "$X_SERVER_PID" 2>/dev/null
  [ -n "$SWAY_PID" ] && kill "$SWAY_PID" 2>/dev/null
  for pid in "${BACKGROUND_PIDS[@]}" $X_SERVER_PID $SWAY_PID; do wait "$pid" 2>/dev/null || true; done
  [ -n "$WORK_DIR" ] && rm -rf "$WORK_DIR"
  return 0
}

# --- The X server ----------------------------------------------------------

# start_x_server [WxHxD [Xvfb arguments...]]: Xvfb with one screen (default
# 1280x1024x24).  start_x_server xinerama WxH WxH...: Xorg's dummy driver
# with one monitor of each size, side by side in one Xinerama desktop (run
# as root).  The server picks a free display itself (-displayfd), runs in a
# session of its own with its output in $WORK_DIR/x-server.log, keeps
# running when its last client leaves (-noreset: a client that connected
# during the reset would be turned away), and DISPLAY is exported.
start_x_server() {
  local numbers="$WORK_DIR/display" command
  if [ "${1:-}" = xinerama ]; then
    shift
    xinerama_config "$WORK_DIR/xorg.conf" "$@"
    mkdir -p "$WORK_DIR/xorg.conf.d"
    command=(Xorg -config "$WORK_DIR/xorg.conf" -configdir "$WORK_DIR/xorg.conf.d"
             -logfile "$WORK_DIR/xorg.log" -novtswitch -sharevts -keeptty)
  else
    command=(Xvfb -screen 0 "${1:-1280x1024x24}" "${@:2}")
  fi
  : >"$numbers"
  setsid "${command[@]}" -nolisten tcp -noreset -displayfd 3 3>"$numbers" \
    >"$WORK_DIR/x-server.log" 2>&1 </dev/null &
  X_SERVER_PID=$!
  local _
  for _ in $(seq 100); do
    [ -s "$numbers" ] && break
    sleep 0.1
  done
  [ -s "$numbers" ] || fail "the X server ${command[0]} did not start: $(cat "$WORK_DIR/x-server.log")"
  DISPLAY=":$(head -n 1 "$numbers")"
  export DISPLAY
}

# Writes an Xorg configuration with one dummy screen per size given (WxH),
# placed left to right in one Xinerama desktop.
xinerama_config() {
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

# --- Windows, keys and screenshots -----------------------------------------

# X window ids whose title is exactly CAPTION, one a line.
windows_named() { xdotool search --name "^$1\$" 2>/dev/null || true; }

# Number of windows titled exactly CAPTION.
window_count() {
  local ids
  ids=$(windows_named "$1")
  if [ -z "$ids" ]; then echo 0; else echo "$ids" | wc -l; fi
}

# Waits up to TIMEOUT seconds (default 10) for a window titled CAPTION and
# prints its id; returns 1 when none appeared.
wait_window() {
  local caption="$1" limit="${2:-10}"
  local deadline=$(($(now_ms) + limit * 1000))
  local id
  while [ "$(now_ms)" -lt "$deadline" ]; do
    id=$(windows_named "$caption" | sed -n 1p)
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
wait_no_window() {
  local caption="$1" limit="${2:-10}"
  local deadline=$(($(now_ms) + limit * 1000))
  while [ "$(now_ms)" -lt "$deadline" ]; do
    [ -z "$(windows_named "$caption")" ] && return 0
    sleep 0.1
  done
  return 1
}

# Gives the window titled CAPTION the keyboard and waits until X reports
# that it has it, so that no typed letter goes astray.
focus() {
  local id _
  id=$(windows_named "$1" | sed -n 1p)
  [ -n "$id" ] || return 1
  for _ in $(seq 20); do
    xdotool windowfocus "$id" 2>/dev/null || true
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$id" ] && { sleep 0.1; return 0; }
    sleep 0.1
  done
  return 1
}

# press CAPTION KEY...: gives the window titled CAPTION the keyboard
# (confirmed) and presses the keys (xdotool key names: a, space, Return,
# Escape, alt+F4, ...) one after the other.
#
# The keys go through XTEST to whatever has the keyboard, press and release
# alike.  (xdotool's --window chooses per event: a window that goes away or
# loses the keyboard on the press gets its release as a sent event, and the
# X server then holds the key down and repeats it into the next window.)
press() {
  local caption="$1"
  shift
  focus "$caption" || fail "could not give \"$caption\" the keyboard"
  xdotool key --delay 80 "$@"
}

# Saves the whole display, or WINDOW, as a PNG file; under sway (start_sway)
# every output, side by side as the compositor places them.
screenshot() {
  if [ -n "$SWAY_PID" ]; then
    as_sway_user grim - >"$1" 2>/dev/null
  else
    import -window "${2:-root}" "$1" 2>/dev/null
  fi
}

# shot NAME [WINDOW]: a screenshot named NAME.png in $SHOTS.
shot() {
  mkdir -p "$SHOTS"
  screenshot "$SHOTS/$1.png" "${2:-root}" || fail "no screenshot $1"
}

# The file of a screenshot given by its shot name or by its path.
shot_file() { case "$1" in */*) echo "$1" ;; *) echo "$SHOTS/$1.png" ;; esac; }

# colour_pixels SHOT WxH+X+Y MIN_RED_MINUS_BLUE: pixels of the screenshot in
# the rectangle with red above 35 % and red - blue above the given
# percentage, by channel arithmetic (-fx is far slower).
colour_pixels() {
  convert "$(shot_file "$1")" -crop "$2" +repage -separate \
    \( -clone 0 -clone 2 -compose minus_src -composite -threshold "$3%" \) \
    \( -clone 0 -threshold 35% \) -delete 0-2 -compose multiply -composite \
    -format '%[fx:round(mean*w*h)]\n' info: 2>/dev/null
}
# gold_pixels SHOT WxH+X+Y: the one rule for the deep gold of unpopped
# kernels (pieces are a paler cream and hardly count).
gold_pixels() { colour_pixels "$1" "$2" 40; }
# warm_pixels SHOT WxH+X+Y: any colour of the animation, gold or cream.
warm_pixels() { colour_pixels "$1" "$2" 8; }
# lit_pixels SHOT WxH+X+Y: pixels that are not black.
lit_pixels() {
  convert "$(shot_file "$1")" -crop "$2" +repage -colorspace Gray -threshold 4% \
    -format '%[fx:round(mean*w*h)]\n' info: 2>/dev/null
}
# gold_share SHOT WxH+X+Y: the share (0..1) of kernel-gold pixels.
gold_share() {
  local size="${2%%+*}"
  awk -v n="$(gold_pixels "$1" "$2")" -v area=$((${size%x*} * ${size#*x})) \
    'BEGIN { printf "%.4f\n", n / (area > 0 ? area : 1) }'
}

# wait_gold NAME WxH+X+Y SECONDS [WINDOW]: takes the screenshot NAME (of
# WINDOW, default the whole display) until the share of gold in the
# rectangle is above 0.02, for up to SECONDS; prints the share.
wait_gold() {
  local gold=0 _
  for _ in $(seq "$3"); do
    shot "$1" "${4:-root}"
    gold=$(gold_share "$1" "$2")
    greater "$gold" 0.02 && break
    sleep 1
  done
  echo "$gold"
  greater "$gold" 0.02
}

# pointer_moves COUNT PAUSE: COUNT pointer moves, each to a new position,
# PAUSE seconds apart, in one xdotool run (so that no two merge into one
# motion notification).
pointer_moves() {
  local i args=()
  for i in $(seq "$1"); do args+=(mousemove $((200 + (i % 50) * 9)) $((200 + i)) sleep "$2"); done
  xdotool "${args[@]}"
}

# The colour of one pixel of a screenshot as #RRGGBB.
pixel_colour() {
  convert "$(shot_file "$1")" -crop "1x1+$2+$3" +repage -depth 8 -format "#%[hex:p{0,0}]" info:
}

# Waits up to TIMEOUT seconds (default 10) for a line of FILE that matches
# the extended regular expression PATTERN and prints the first such line;
# returns 1 when none appeared.  For logs that helper programs write.
wait_line() {
  local file="$1" pattern="$2" limit="${3:-10}"
  local deadline=$(($(now_ms) + limit * 1000))
  local line
  while [ "$(now_ms)" -lt "$deadline" ]; do
    line=$(grep -E -m 1 -- "$pattern" "$file" 2>/dev/null || true)
    if [ -n "$line" ]; then
      echo "$line"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# --- Building --------------------------------------------------------------

# build_preset PRESET [cmake --build arguments...]: configures the preset
# (quietly) and builds it with every processor, from the repository's top
# folder.
build_preset() {
  local preset="$1"
  shift
  cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j "$(nproc)" "$@"
}

# --- The saver, under Wine or native -----------------------------------------

# saver_press KEY...: presses the keys on the saver started last; $ACTED_MS
# is the moment they were sent.
saver_press() {
  if [ "$SAVER_KIND" = wine ]; then
    focus "$SAVER_CAPTION" || fail "could not give the saver the keyboard"
    ACTED_MS=$(now_ms)
    xdotool key --delay 80 "$@"
  elif [ "$SAVER_KIND" = wayland ]; then
    # A virtual keyboard that the saver takes first, then, half a second
    # later, the keys (the time the saver takes is counted from them).
    local key pause_ms=500
    local typed=(-s "$pause_ms")
    for key in "$@"; do typed+=(-k "$key"); done
    ACTED_MS=$(($(now_ms) + pause_ms))
    as_sway_user wtype "${typed[@]}" >/dev/null 2>&1
  else
    ACTED_MS=$(now_ms)
    xdotool key "$@"
  fi
}

# True once the saver is gone: under Wine its window (a Wine process that
# ended can linger a moment), natively its process.
saver_gone() {
  if [ "$SAVER_KIND" = wine ]; then
    [ -z "$(windows_named "$SAVER_CAPTION")" ]
  else
    ! native_running
  fi
}

# Polls until the saver is gone, at most LIMIT_MS after $ACTED_MS (set just
# before acting), and prints the milliseconds since then; returns 1 when it
# is still there.
ms_until_gone() {
  while ! saver_gone; do
    [ $(($(now_ms) - ACTED_MS)) -le "$1" ] || return 1
    sleep 0.02
  done
  echo $(($(now_ms) - ACTED_MS))
}

# end_with_key KEY [LIMIT_MS]: presses KEY on the saver and prints the
# milliseconds until it went (at most LIMIT_MS, default 1500).  Activity seen
# in the last frame of an 80-frame activity window is discarded by design,
# so a key has a 1 in 80 chance of being ignored; one more press is then
# allowed (and reported on stderr).
end_with_key() {
  local limit="${2:-1500}"
  saver_press "$1"
  ms_until_gone "$limit" && return 0
  echo "  ($1 landed in the last frame of an activity window; pressed again)" >&2
  saver_press "$1"
  ms_until_gone "$limit"
}

# Waits for the saver process after it has gone; its exit status, also in
# $SAVER_STATUS.
reap_saver() {
  SAVER_STATUS=0
  if [ -n "$SAVER_PID" ]; then
    wait "$SAVER_PID" 2>/dev/null || SAVER_STATUS=$?
  fi
  SAVER_PID=""
  return "$SAVER_STATUS"
}

# --- Wine --------------------------------------------------------------------

# wine_session PREFIX [TEMPLATE]: the one way a Wine session starts: a copy
# of a booted TEMPLATE prefix, or PREFIX booted here (made when missing), and
# a wineserver that stays.  Output goes to /dev/null and the server runs in a
# session of its own, so that Wine's services never hold the caller's (or
# ctest's) pipes open.
wine_session() {
  export WINEPREFIX="$1"
  WINE_STARTED=1
  if [ -n "${2:-}" ]; then
    cp -a "$2" "$WINEPREFIX"
    setsid wineserver -p >/dev/null 2>&1 </dev/null
    return 0
  fi
  mkdir -p "$WINEPREFIX"
  setsid wineserver -p >/dev/null 2>&1 </dev/null
  # The first start creates and boots the prefix.
  setsid wine cmd /c exit >/dev/null 2>&1 </dev/null || fail "could not boot the Wine prefix $WINEPREFIX"
  # No window manager runs on a test display.  Wine treats full-screen
  # popups as managed and, when one closes, waits up to two seconds for a
  # window manager that never answers; unmanaged windows close at once.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
}

# Ends the wineserver of $WINEPREFIX and every Wine process of it, and waits
# until they are gone.
wine_stop_server() {
  wineserver -k >/dev/null 2>&1 </dev/null || true
  wineserver -w >/dev/null 2>&1 </dev/null || true
}

# wine_setup [SCREEN...]: the scratch folder, a display, the Wine prefix (a
# copy of the session's booted template when there is one, else
# WINE_KEPT_PREFIX or a fresh throwaway one, booted here) and the clean-up.
# The display is the session's, or $DISPLAY, or one started here; given
# start_x_server's arguments, always one started here with them.
wine_setup() {
  scratch_setup
  local template="" session_display=""
  if [ -n "${FIZZLET_WINE_STATE:-}" ] && [ -f "$FIZZLET_WINE_STATE/env" ]; then
    # shellcheck disable=SC1091
    session_display=$(. "$FIZZLET_WINE_STATE/env"; echo "$DISPLAY")
    # shellcheck disable=SC1091
    template=$(. "$FIZZLET_WINE_STATE/env"; echo "${TEMPLATE:-}")
    [ -n "$session_display" ] && export DISPLAY="$session_display"
    [ -n "$template" ] && [ -d "$template" ] || template=""
  fi
  if [ $# -gt 0 ] || [ -z "${DISPLAY:-}" ]; then
    start_x_server "$@"
  fi
  local size
  size=$(xdpyinfo 2>/dev/null | awk '/dimensions:/ && !n++ {print $2}')
  SCREEN_W=${size%x*}
  SCREEN_H=${size#*x}
  if [ -n "$template" ]; then
    wine_session "$WORK_DIR/prefix" "$template"
  else
    wine_session "${WINE_KEPT_PREFIX:-$WORK_DIR/prefix}"
  fi
  if [ "${1:-}" = xinerama ]; then
    # Wine's XVidMode settings handler fails on a second Xinerama monitor
    # and leaves Wine with the first one only.  Wine lists the monitors when
    # its desktop process starts: start it again after the change.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXVidMode /d N /f >/dev/null 2>&1 </dev/null
    wine_stop_server
    wine_session "$WINEPREFIX"
  fi
  return 0
}

# Starts the saver in the background with the given switches.
wine_start() {
  wine "$FIZZLET_SCR" "$@" >/dev/null 2>&1 </dev/null &
  SAVER_PID=$!
  SAVER_KIND=wine
  BACKGROUND_PIDS+=("$SAVER_PID")
}

# wine_saver_up [path of fizzlet.scr]: runs it with /s in the background and
# waits for its window ($SAVER_WINDOW); $SAVER_PID is the wine process.
wine_saver_up() {
  FIZZLET_SCR="${1:-$FIZZLET_SCR}" wine_start /s
  SAVER_WINDOW=$(wait_window "$SAVER_CAPTION" 20) || fail "the saver window never appeared"
}

# Runs the saver with the given switches and waits for it to end, at most
# TIMEOUT seconds (first argument).  Sets ELAPSED_MS and returns the saver's
# exit status, or 124 when it had to be stopped.
wine_run() {
  local limit="$1"
  shift
  local start rc=0
  start=$(now_ms)
  timeout -k 2 "$limit" wine "$FIZZLET_SCR" "$@" >/dev/null 2>&1 </dev/null || rc=$?
  ELAPSED_MS=$(($(now_ms) - start))
  return $rc
}

# Ends a saver that a test leaves running, and waits for its process.
wine_stop_saver() {
  if [ -n "$(windows_named "$SAVER_CAPTION")" ]; then end_with_key Escape >/dev/null; fi
  reap_saver
}

# wine_activity_opens DIALOG KEY: a key on the saver is activity; it opens
# the password dialog DIALOG.  A key that falls in the last frame of an
# 80-frame activity window is discarded by design, hence up to three tries.
wine_activity_opens() {
  local _
  for _ in 1 2 3; do
    saver_press "$2"
    wait_window "$1" 2 >/dev/null && return 0
  done
  return 1
}

# True when the Linux process PID runs in this script's Wine prefix.
in_this_prefix() { tr '\0' '\n' < "/proc/$1/environ" 2>/dev/null | grep -x "WINEPREFIX=$WINEPREFIX" >/dev/null; }

# The Linux process id of the running fizzlet.scr of this prefix (the wine
# launcher only waits for it), or nothing.
wine_saver_unix_pid() {
  local p name
  name=$(basename "${FIZZLET_SCR:-fizzlet.scr}" | cut -c1-15)
  for p in $(pgrep -x "$name" 2>/dev/null); do
    if in_this_prefix "$p"; then
      echo "$p"
      return 0
    fi
  done
  return 1
}

# Shows a window with the given caption (through the hold-window helper) and
# waits until it is on the display.  It lives until the script ends.
wine_hold_window() {
  local caption="$1" seconds="${2:-120}"
  wine "$FIZZLET_HOLD_WINDOW" "$caption" "$seconds" >/dev/null 2>&1 </dev/null &
  BACKGROUND_PIDS+=("$!")
  wait_window "$caption" 20 >/dev/null
}

# Prints the data of a registry value in this prefix, or nothing (status 1)
# when it does not exist.  KEY like 'HKCU\Software\X'.
wine_reg_query() {
  local out
  out=$(wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r') || return 1
  echo "$out" | awk -v name="$2" '$1 == name { sub(/^[ \t]*[^ \t]+[ \t]+[^ \t]+[ \t]*/, ""); print; found=1 } END { exit !found }'
}

# Writes a registry value: wine_reg_add KEY NAME TYPE DATA (TYPE REG_SZ, REG_DWORD).
wine_reg_add() {
  wine reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null 2>&1 </dev/null
}

# True when the registry key exists in this prefix.
wine_reg_key_exists() { wine reg query "$1" >/dev/null 2>&1; }

# Writes a setting of the saver: wine_setting NAME TEXT.
wine_setting() {
  wine_reg_add "$CONFIG_KEY" "$1" REG_SZ "$2" || fail "could not write the setting $1"
}

# The stored ("misc") form of a password: each character XOR the key
# character after its position, written as two letters (high half down from
# z, low half up from a).
scramble() {
  python3 -c 'import sys
k = "qeLWN"
print("".join(chr(ord("z") - (x >> 4)) + chr(ord("a") + (x & 15))
              for x in (ord(c) ^ ord(k[i % 5]) for i, c in enumerate(sys.argv[1], 1))))' "$1"
}

# The window titled CAPTION as the inspection helper reports it:
#   window <enabled> <client width> <client height> <client left> <client top>
#   control <id> <class> <x> <y> <width> <height> <visible> <value> <text>
# Status 1 when there is no such window.
wine_inspect() {
  local out
  out=$(wine "$FIZZLET_INSPECT_WINDOW" "$1" 2>/dev/null </dev/null) || return 1
  printf '%s\n' "$out" | tr -d '\r'
}

# Clicks the middle of control ID in the window titled CAPTION.
wine_click_control() {
  local out origin place
  out=$(wine_inspect "$1") || return 1
  origin=$(printf '%s\n' "$out" | awk '$1 == "window" { print $5, $6 }')
  place=$(printf '%s\n' "$out" | awk -v id="$2" '$1 == "control" && $2 == id { print $4, $5, $6, $7 }')
  [ -n "$origin" ] && [ -n "$place" ] || return 1
  local ox oy x y w h
  read -r ox oy <<<"$origin"
  read -r x y w h <<<"$place"
  xdotool mousemove $((ox + x + w / 2)) $((oy + y + h / 2)) click 1
}

# Sends the window titled CAPTION a close request (WM_CLOSE) from outside.
wine_close_request() { wine "$FIZZLET_INSPECT_WINDOW" "$1" close >/dev/null 2>&1 </dev/null; }

# --- The native saver --------------------------------------------------------

# x11_setup [WxHxD [Xvfb arguments...]]: the scratch folder, an empty
# settings folder and a private Xvfb (default 1280x720x24).
x11_setup() {
  [ -x "${FIZZLET:-}" ] || fail "FIZZLET must name the built program"
  scratch_setup
  export XDG_CONFIG_HOME="$WORK_DIR/config"
  unset XSCREENSAVER_WINDOW FIZZLET_AUDIO_FILE FIZZLET_FRAME_LOG
  start_x_server "${1:-1280x720x24}" "${@:2}"
}

# The saver in the background, its standard error in $WORK_DIR/saver.err.
x11_start() {
  "$FIZZLET" "$@" 2>"$WORK_DIR/saver.err" </dev/null &
  SAVER_PID=$!
  SAVER_KIND=x11
  BACKGROUND_PIDS+=("$SAVER_PID")
}

# The native saver (X11 or Wayland): whether its process still runs.
native_running() { [ -n "$SAVER_PID" ] && kill -0 "$SAVER_PID" 2>/dev/null; }

# Waits up to SECONDS for the saver to end; its exit status in SAVER_STATUS.
native_wait_exit() {
  local _
  for _ in $(seq $(($1 * 10))); do
    native_running || break
    sleep 0.1
  done
  native_running && return 1
  reap_saver || true
}

# Waits up to SECONDS for a saver in its own window to be running: kernels
# along the bottom of the screen (so the window is up and holds the
# keyboard).  The screenshot is the shot "ready".
x11_wait_ready() {
  local width height
  read -r width height < <(xdotool getdisplaygeometry)
  wait_gold ready "${width}x45+0+$((height - 45))" "$1" >/dev/null
}

# Ends the running saver with a letter and checks that it exits with status
# 0 (a second press when the first was discarded, as end_with_key does).
x11_end_with_key() {
  x11_wait_ready 15 || fail "the saver is not running"
  end_with_key q 3000 >/dev/null || fail "a key did not end the saver"
  reap_saver
  [ "$SAVER_STATUS" -eq 0 ] || fail "exit status $SAVER_STATUS after a key"
}

# --- Wayland: a headless sway -------------------------------------------------

# sway_user_command COMMAND...: SWAY_COMMAND runs COMMAND as the
# unprivileged user that sway needs, in the session of start_sway (run in
# the background, "$!" is COMMAND itself); as_sway_user runs it.
sway_user_command() {
  SWAY_COMMAND=(setpriv --reuid="$SWAY_USER" --regid="$SWAY_USER" --init-groups env -i
    PATH=/usr/bin:/bin HOME="$WORK_DIR/home" XDG_CONFIG_HOME="$WORK_DIR/home/config"
    XDG_RUNTIME_DIR="$WORK_DIR/run" WAYLAND_DISPLAY=wayland-1 ${SWAYSOCK:+SWAYSOCK="$SWAYSOCK"}
    FIZZLET_FRAME_LOG="${FIZZLET_FRAME_LOG:-}" FIZZLET_AUDIO_FILE="${FIZZLET_AUDIO_FILE:-}"
    WLR_BACKENDS=headless WLR_RENDERER=pixman
    WLR_LIBINPUT_NO_DEVICES=1 "$@")
}
as_sway_user() {
  sway_user_command "$@"
  "${SWAY_COMMAND[@]}"
}

# start_sway WxH: the scratch folder (unless there is one), the user (sway will not run as root;
# skipped, status 77, when not root), and sway on its headless back end and
# software renderer with one output, HEADLESS-1, of that size; the program
# copied to $WORK_DIR/fizzlet, where the user may run it.  SWAYSOCK is set.
start_sway() {
  if [ "$(id -u)" -ne 0 ] || ! command -v sway >/dev/null; then
    echo "[$SCRIPT_NAME] skipped: needs root (sway runs as a user made for the test) and sway"
    exit 77
  fi
  id -u "$SWAY_USER" >/dev/null 2>&1 ||
    useradd --system --no-create-home --shell /usr/sbin/nologin "$SWAY_USER" ||
    fail "cannot make the user $SWAY_USER"
  [ -n "$WORK_DIR" ] || scratch_setup
  chmod 755 "$WORK_DIR"
  [ -n "${FIZZLET:-}" ] && cp "$FIZZLET" "$WORK_DIR/fizzlet"
  mkdir -m 700 "$WORK_DIR/run" && mkdir -p "$WORK_DIR/home"
  chown "$SWAY_USER" "$WORK_DIR/run" "$WORK_DIR/home"
  printf 'output HEADLESS-1 resolution %s\nxwayland disable\n' "$1" >"$WORK_DIR/sway.config"
  sway_user_command sway -c "$WORK_DIR/sway.config"
  "${SWAY_COMMAND[@]}" >"$WORK_DIR/sway.log" 2>&1 </dev/null &
  SWAY_PID=$!
  local _
  for _ in $(seq 100); do
    SWAYSOCK=$(ls "$WORK_DIR"/run/sway-ipc.*.sock 2>/dev/null | head -n 1 || true)
    [ -n "$SWAYSOCK" ] && [ -S "$WORK_DIR/run/wayland-1" ] && break
    sleep 0.1
  done
  [ -n "$SWAYSOCK" ] || fail "sway did not start: $(cat "$WORK_DIR/sway.log")"
  export SWAYSOCK
}

# The saver as the sway user in the background, its standard error in
# $WORK_DIR/saver.err (native_running, native_wait_exit and reap_saver follow it).
wayland_start() {
  sway_user_command "$WORK_DIR/fizzlet" "$@"
  "${SWAY_COMMAND[@]}" 2>"$WORK_DIR/saver.err" </dev/null &
  SAVER_PID=$!
  SAVER_KIND=wayland
  BACKGROUND_PIDS+=("$SAVER_PID")
}

# --- Figures -------------------------------------------------------------------

# figure_options "$@": the figures scripts' one option loop.  Sets the
# variables a script gave its defaults: long, seconds, minutes, size,
# kernels, pop, music and whole (0 or 1), runs.
figure_options() {
  while [ $# -gt 0 ]; do
    case "$1" in
      --long) long=1 ;;
      --seconds) seconds="$2"; shift ;;
      --minutes) minutes="$2"; shift ;;
      --size) size="$2"; shift ;;
      --kernels) kernels="$2"; shift ;;
      --pop) pop="$2"; shift ;;
      --music) music=1 ;;
      --runs) runs="$2"; shift ;;
      --whole) whole=1 ;;
      *) echo "unknown option $1" >&2; exit 2 ;;
    esac
    shift
  done
}

# CPU time (user and system) of a process in clock ticks, 0 when it is gone.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }

# cpu_share TICKS MS: TICKS of CPU time in MS milliseconds, as a percentage
# of one core.
cpu_share() {
  awk -v t="$1" -v hz="$(getconf CLK_TCK)" -v ms="$2" 'BEGIN {printf "%.2f %%", 100 * t / hz / (ms / 1000)}'
}

# frame_computation_us BENCH W H [NAME]: the fastest CPU time of
# fizzlet-bench's 32-bit W x H frame (NAME BM_Frame, the default, or
# BM_FrameCold) over five repetitions, in microseconds; nothing when the
# benchmark has no frame of that size.
frame_computation_us() {
  "$1" --benchmark_filter="^${4:-BM_Frame}/w:$2/h:$3/bits:32(/iterations:[0-9]+)?\$" \
    --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_format=csv 2>/dev/null | awk -F, '$1 ~ /_min"$/ {print $4}'
}

# computation_share US COLD_US FRAMES MS TICKS: the frame computation's own
# share of a core (US microseconds a frame, COLD_US as the saver meets it
# after other work, when the benchmark has it for this size; FRAMES frames
# in MS milliseconds) and the process's CPU (TICKS in those milliseconds) as
# a multiple of each.
computation_share() {
  if [ -z "$1" ] || [ "$3" -eq 0 ]; then
    echo "frame computation share:    (no benchmark figure for this size)"
    return 0
  fi
  awk -v us="$1" -v cold="$2" -v frames="$3" -v ms="$4" -v t="$5" -v hz="$(getconf CLK_TCK)" '
    function share(a) { return 100 * a * frames / 1000 / ms }
    BEGIN {
      process = 100 * t / hz / (ms / 1000)
      printf "frame computation share:    %.2f %% of one core (%.1f us a frame x %.1f frames/s)\n",
        share(us), us, frames * 1000 / ms
      if (cold == "") {
        printf "saver / frame computation:  %.2f\n", process / share(us)
        exit
      }
      printf "  the same frames cold:     %.2f %% of one core (%.1f us a frame)\n", share(cold), cold
      printf "saver / frame computation:  %.2f (cold: %.2f)\n", process / share(us), process / share(cold)
    }'
}

# wine_figures_setup WxH: the Wine figures scripts' set-up: the saver to
# measure (FIZZLET_SCR, else build/windows/bin/fizzlet.scr, built here), a
# display of their own of that size, and a prefix.  Run from the
# repository's top folder.
wine_figures_setup() {
  if [ -z "${FIZZLET_SCR:-}" ]; then
    build_preset windows --target fizzlet_scr >/dev/null || fail "could not build fizzlet.scr"
    export FIZZLET_SCR="$PWD/build/windows/bin/fizzlet.scr"
  fi
  wine_setup "${1}x24"
}

# wine_logged_saver_up KERNELS POP MUSIC: the figures scripts' saver: writes
# the settings, starts /s with its frame log in $FRAME_LOG (see
# FIZZLET_FRAME_LOG in the README), waits for its window and finds its Linux
# process ($SAVER_UNIX_PID).  $LAUNCHED_MS is when wine was started.
wine_logged_saver_up() {
  wine_setting total_fizzlet "$1"
  wine_setting pop_chance "$2"
  wine_setting audio_on "$3"
  FRAME_LOG="$WORK_DIR/frames.log"
  LAUNCHED_MS=$(now_ms)
  FIZZLET_FRAME_LOG="$(winepath -w "$FRAME_LOG" 2>/dev/null)" wine_saver_up
  SAVER_UNIX_PID=$(wine_saver_unix_pid) || fail "the saver process was not found"
}

# --- The frame log (FIZZLET_FRAME_LOG) -----------------------------------------
# Both savers write the same lines (src/saver/frame_log.h): "f <ms>" at the
# start of every frame, now and then "r <frame> <ms> <name> <value>...",
# "e <ms> <what>" for start-up steps and events, and once the first frame is
# shown "presented <ms> <unix ms> <ms since the process started>".  Every
# reading of the log is here.

# frame_periods LOG FROM TO: the count, mean, median, 99th percentile,
# minimum and maximum of the periods between the frame starts logged in
# lines FROM to TO.
frame_periods() {
  sed -n "$2,$3p" "$1" | awk '$1 == "f" {print $2}' | awk '
    NR > 1 {d = $1 - p; if (d < 0) d += 4294967296; print d} {p = $1}' | sort -n | awk '
    {a[NR] = $1; s += $1}
    END {
      if (NR == 0) {print "no frames logged"; exit}
      printf "frames: %d, period mean %.2f ms, median %d ms, p99 %d ms, min %d ms, max %d ms\n",
        NR, s / NR, a[int((NR + 1) / 2)], a[int(NR * 0.99 + 0.5)], a[1], a[NR]
    }'
}

# frames_logged LOG FROM TO: the frame starts logged in lines FROM to TO.
frames_logged() { sed -n "$2,$3p" "$1" | awk '$1 == "f" {n++} END {print n + 0}'; }

# The last resource sample of the Windows saver's log: GDI objects, handles
# and private bytes, as the program sees them.
frame_resources() {
  awk '$1 == "r" {for (i = 4; i < NF; i += 2) v[$i] = $(i + 1)}
    END {print v["gdi_objects"] + 0, v["handles"] + 0, v["private_bytes"] + 0}' "$1"
}

# frame_startup LOG LAUNCHED_MS: the Windows saver's start-up steps and its
# first presented frame, in ms since its process was created.
frame_startup() {
  awk -v launched="$2" '
    $1 == "e" && !done {steps[++n] = $2; $1 = $2 = ""; names[n] = substr($0, 3)}
    $1 == "presented" && !done {
      done = 1
      age = $4; ms = $2
      printf "start-up (ms since the process was created):"
      for (i = 1; i <= n; i++) printf " %s %d,", names[i], steps[i] - (ms - age)
      printf " first frame presented %d; wine was started %d ms before that\n", age, $3 - launched
    }' "$1"
}

# When the native saver's first frame was shown, in ms since the epoch
# (waits up to five seconds for it).
frame_presented_ms() { wait_line "$1" '^presented' 5 | awk '{print $3}'; }
