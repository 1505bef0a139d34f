#!/usr/bin/env bash
# The saver with music that cannot play, and with music switched off: it
# animates normally and a key ends it.  Three runs:
#   1. fizzlet.scr alone in a folder, no MIDI files beside it, audio_on "1";
#   2. audio_on "0" with the pieces beside it;
#   3. audio_on "1" with the pieces beside it (Wine's sequencer, no sound
#      device): the animation must not wait for the music.
# shellcheck source=tests/wine/lib.sh
. "${FIZZLET_E2E_LIB:-$(dirname "$0")/lib.sh}"

SAVER="screen saver running"
CONFIG='HKCU\Software\Tarvo Fizzlet Screen Saver\Config'

shot() {
  local folder="${FIZZLET_E2E_SHOTS:-$E2E_DIR}/$E2E_NAME"
  mkdir -p "$folder"
  e2e_screenshot "$folder/$1.png"
  echo "$folder/$1.png"
}

running() {  # true while the saver process started last is alive
  local state
  state=$(ps -o stat= -p "$E2E_SAVER_PID" 2>/dev/null | cut -c1)
  [ -n "$state" ] && [ "$state" != Z ]
}

check_run() {  # label: the saver animates, then a key ends it
  local label="$1" first second changed i
  for i in $(seq 150); do
    [ -n "$(xdotool search --onlyvisible --name "^$SAVER\$" 2>/dev/null)" ] && break
    running || e2e_fail "$label: the saver ended before its window showed"
    sleep 0.1
  done
  [ -n "$(xdotool search --onlyvisible --name "^$SAVER\$" 2>/dev/null)" ] ||
    e2e_fail "$label: the saver window never appeared"
  sleep 3
  first=$(shot "$label-a")
  sleep 1
  second=$(shot "$label-b")
  running || e2e_fail "$label: the saver ended by itself"
  changed=$(compare -metric AE "$first" "$second" null: 2>&1 >/dev/null)
  [ "${changed%% *}" != "0" ] ||
    e2e_fail "$label: the screen did not change in a second: the animation stands still"
  # A key in the last frame of an 80-frame activity window is discarded by
  # design: a second key then ends it.
  e2e_key "$SAVER" space
  e2e_wait_no_window "$SAVER" 3 || { e2e_key "$SAVER" space; e2e_wait_no_window "$SAVER" 5; } ||
    e2e_fail "$label: a key did not end the saver"
  # The next run must not meet this saver's window as "already running".
  for i in $(seq 50); do
    running || break
    sleep 0.1
  done
  running && e2e_fail "$label: the saver process did not end"
  wait "$E2E_SAVER_PID" 2>/dev/null
  e2e_log "$label: animated and ended on a key"
}

e2e_setup
e2e_reg_add 'HKCU\Software\Wine\X11 Driver' Managed REG_SZ N
e2e_reg_add 'HKCU\Control Panel\Desktop' ScreenSaveUsePassword REG_SZ 0

alone="$E2E_DIR/alone"
mkdir -p "$alone"
cp "$FIZZLET_SCR" "$alone/fizzlet.scr"
e2e_reg_add "$CONFIG" audio_on REG_SZ 1
FIZZLET_SCR="$alone/fizzlet.scr" e2e_start_saver /s
check_run missing-music

e2e_reg_add "$CONFIG" audio_on REG_SZ 0
e2e_start_saver /s
check_run audio-off

[ -f "$(dirname "$FIZZLET_SCR")/FZLMUS1.MID" ] || e2e_fail "the pieces were not copied beside fizzlet.scr"
e2e_reg_add "$CONFIG" audio_on REG_SZ 1
e2e_start_saver /s
check_run audio-on
e2e_pass
