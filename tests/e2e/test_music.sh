#!/usr/bin/env bash
# The saver with music that cannot play, and with music switched off: in
# both cases it animates normally and a key ends it.  Runs:
#   1. fizzlet.scr alone in a folder, no MIDI files beside it, audio_on "1";
#   2. audio_on "0" with the pieces beside it;
#   3. audio_on "1" with the pieces beside it (Wine's sequencer without a
#      sound device): the animation must not wait for the music.
set -u
# --- helpers (Wine session, windows, screenshots) --------------------------
fail() { echo "FAIL: $*" >&2; exit 1; }
pass() { echo "PASS (screenshots in $shots)"; exit 0; }

saver_session_start() {  # name: a throwaway prefix on the session's display
  export WINEDEBUG=-all
  session_dir=$(mktemp -d "/tmp/fizzlet-e2e-$1.XXXXXX")
  shots=$(mktemp -d "/tmp/fizzlet-shots-$1.XXXXXX")
  export WINEPREFIX="$session_dir/prefix"
  xvfb_pid=""
  saver_pid=""
  if [ -n "${FIZZLET_WINE_STATE:-}" ] && [ -f "$FIZZLET_WINE_STATE/env" ]; then
    # shellcheck disable=SC1091
    DISPLAY=$(. "$FIZZLET_WINE_STATE/env"; echo "$DISPLAY")
  fi
  if [ -z "${DISPLAY:-}" ]; then
    local n
    for n in $(seq 150 199); do
      if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
        setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
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
  [ -n "${FIZZLET_SCR:-}" ] && [ -f "$FIZZLET_SCR" ] || fail "FIZZLET_SCR does not name the built saver"
}

saver_session_stop() {
  [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null
  wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$session_dir"
}

reg_add() {  # key value type data
  wine reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null 2>&1 </dev/null || fail "reg add $1 $2"
}
set_password_option() { reg_add 'HKCU\Control Panel\Desktop' ScreenSaveUsePassword REG_SZ "$1"; }
set_setting() { reg_add 'HKCU\Software\Tarvo Fizzlet Screen Saver\Config' "$1" REG_SZ "$2"; }
scramble() {  # the stored form of a password
  python3 -c 'import sys
k = "qeLWN"
print("".join(chr(ord("z") - (x >> 4)) + chr(ord("a") + (x & 15))
              for x in (ord(c) ^ ord(k[i % 5]) for i, c in enumerate(sys.argv[1], 1))))' "$1"
}
store_password() { set_setting misc "$(scramble "$1")"; }

start_saver() {  # [path of fizzlet.scr]
  wine "${1:-$FIZZLET_SCR}" /s >/dev/null 2>&1 </dev/null &
  saver_pid=$!
}
wait_for_saver_exit() {  # seconds
  local i state
  for i in $(seq $(($1 * 10))); do
    state=$(ps -o stat= -p "$saver_pid" 2>/dev/null | cut -c1)
    if [ -z "$state" ] || [ "$state" = Z ]; then wait "$saver_pid" 2>/dev/null; saver_pid=""; return 0; fi
    sleep 0.1
  done
  return 1
}

find_window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
count_windows() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l; }
window_exists() { [ -n "$(find_window "$1")" ]; }
wait_for_window() {  # caption seconds: prints the window id
  local i id
  for i in $(seq $(($2 * 10))); do
    id=$(find_window "$1")
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  return 1
}
wait_for_no_window() {  # caption seconds
  local i
  for i in $(seq $(($2 * 10))); do
    window_exists "$1" || return 0
    sleep 0.1
  done
  return 1
}

shot() { import -window root "$shots/$1.png" 2>/dev/null; }
shots_differ() {  # label label: true when the two screenshots differ
  local changed
  changed=$(compare -metric AE "$shots/$1.png" "$shots/$2.png" null: 2>&1 >/dev/null)
  [ "${changed%% *}" != "0" ]
}
# ---------------------------------------------------------------------------

saver_session_start music
set_password_option 0

check_run() {  # label: the saver animates, then a key ends it
  local label="$1" saver
  saver=$(wait_for_window "screen saver running" 15) || fail "$label: the saver window never appeared"
  sleep 3
  shot "$label-a"
  sleep 1
  shot "$label-b"
  if ! shots_differ "$label-a" "$label-b"; then
    fail "$label: the screen did not change in a second: the animation stands still"
  fi
  window_exists "screen saver running" || fail "$label: the saver ended by itself"
  xdotool windowfocus "$saver" 2>/dev/null; xdotool key --window "$saver" space
  wait_for_no_window "screen saver running" 5 || fail "$label: a key did not end the saver"
  wait_for_saver_exit 5 || fail "$label: the saver process did not end"
}

alone="$session_dir/alone"
mkdir -p "$alone"
cp "$FIZZLET_SCR" "$alone/fizzlet.scr"
set_setting audio_on 1
start_saver "$alone/fizzlet.scr"
check_run missing-music

set_setting audio_on 0
start_saver
check_run audio-off

set_setting audio_on 1
start_saver
check_run audio-on
pass
