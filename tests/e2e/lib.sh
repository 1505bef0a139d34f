#!/usr/bin/env bash
# Helpers for the end-to-end tests, which drive fizzlet.scr under Wine on an
# X display.  Source it, then call e2e_setup:
#
#   . "$FIZZLET_E2E_LIB"
#   e2e_setup                      # own prefix (own registry), display, cleanup
#   e2e_start_saver /s             # background; its pid in E2E_SAVER_PID
#   win=$(e2e_wait_window "screen saver running" 10) || e2e_fail "no window"
#   e2e_screenshot "$E2E_DIR/shot.png"
#   e2e_key "screen saver running" a
#   e2e_wait_no_window "screen saver running" 10 || e2e_fail "still there"
#   e2e_pass
#
# ctest gives FIZZLET_SCR (the saver), FIZZLET_WINE_STATE (the session's
# display and booted template prefix), FIZZLET_HOLD_WINDOW (a helper program
# that shows a window with a given caption).  Run by hand, a script starts its
# own Xvfb when DISPLAY is unset and boots a fresh prefix (about 20 s).
# Captions are matched whole; they must not contain regular-expression
# characters.

set -u
export WINEDEBUG=-all

E2E_NAME=$(basename "${0%.sh}")
E2E_DIR=""          # scratch folder of this test, removed at the end
E2E_PIDS=()         # background processes to end at the end
E2E_XVFB_PID=""
E2E_SAVER_PID=""

e2e_log() { echo "[$E2E_NAME] $*"; }

e2e_fail() {
  echo "[$E2E_NAME] FAIL: $*" >&2
  exit 1
}

e2e_pass() {
  e2e_log "passed"
  exit 0
}

# Makes a throwaway Wine prefix (copied from the session's booted template
# when there is one), starts its wineserver, makes sure there is a display,
# and arranges for everything to be cleaned up when the script exits.
e2e_setup() {
  E2E_DIR=$(mktemp -d "/tmp/fizzlet-e2e-$E2E_NAME.XXXXXX")
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
  if [ -z "${DISPLAY:-}" ]; then
    local n
    for n in $(seq 150 199); do
      if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
        setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
        E2E_XVFB_PID=$!
        export DISPLAY=":$n"
        local _
        for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
        break
      fi
    done
  fi
  export WINEPREFIX="$E2E_DIR/prefix"
  if [ -n "$template" ]; then
    cp -a "$template" "$WINEPREFIX"
  fi
  # Output to /dev/null and a session of their own: Wine's services must not
  # hold ctest's pipes open.
  setsid wineserver -p >/dev/null 2>&1 </dev/null
  setsid wine cmd /c exit >/dev/null 2>&1 </dev/null
  # No window manager runs on the test display.  Wine treats full-screen
  # popups as managed and, when one closes, waits up to two seconds for a
  # window manager that never answers; unmanaged windows close at once.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
}

e2e_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
  fi
  [ -n "$E2E_XVFB_PID" ] && kill "$E2E_XVFB_PID" 2>/dev/null
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
e2e_windows() { xdotool search --name "^$1\$" 2>/dev/null; }

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
e2e_key() {
  local caption="$1" key="$2" id
  id=$(e2e_windows "$caption" | head -n 1)
  [ -n "$id" ] || return 1
  xdotool windowfocus "$id" 2>/dev/null
  sleep 0.2
  xdotool key --window "$id" "$key" 2>/dev/null || xdotool key "$key"
}

# Types TEXT into the window titled CAPTION.
e2e_type() {
  local caption="$1" text="$2" id
  id=$(e2e_windows "$caption" | head -n 1)
  [ -n "$id" ] || return 1
  xdotool windowfocus "$id" 2>/dev/null
  sleep 0.2
  xdotool type --delay 50 "$text"
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

# Presses KEY (default a) on the running saver titled CAPTION until its
# window goes: a key that lands in the last frame of an 80-frame activity
# window is discarded by design, so up to three tries.  Status 1 when the
# window stays.
e2e_end_with_key() {
  local caption="$1" key="${2:-a}" try
  for try in 1 2 3; do
    e2e_press "$caption" "$key"
    e2e_wait_no_window "$caption" 3 && return 0
  done
  return 1
}
