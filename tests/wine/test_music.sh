#!/usr/bin/env bash
# The saver with music that cannot play, and with music switched off: it
# animates normally and a key ends it.  Three runs:
#   1. fizzlet.scr alone in a folder, no MIDI files beside it, audio_on "1";
#   2. audio_on "0" with the pieces beside it;
#   3. audio_on "1" with the pieces beside it (Wine's sequencer, no sound
#      device): the animation must not wait for the music.
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"

SAVER="screen saver running"
CONFIG='HKCU\Software\Tarvo Fizzlet Screen Saver\Config'

running() {  # true while the saver process started last is alive
  local state
  state=$(ps -o stat= -p "$SAVER_PID" 2>/dev/null | cut -c1)
  [ -n "$state" ] && [ "$state" != Z ]
}

check_run() {  # label: the saver animates, then a key ends it
  local label="$1" changed i
  for i in $(seq 150); do
    [ -n "$(xdotool search --onlyvisible --name "^$SAVER\$" 2>/dev/null)" ] && break
    running || fail "$label: the saver ended before its window showed"
    sleep 0.1
  done
  [ -n "$(xdotool search --onlyvisible --name "^$SAVER\$" 2>/dev/null)" ] ||
    fail "$label: the saver window never appeared"
  sleep 3
  shot "$label-a"
  sleep 1
  shot "$label-b"
  running || fail "$label: the saver ended by itself"
  changed=$(compare -metric AE "$SHOTS/$label-a.png" "$SHOTS/$label-b.png" null: 2>&1 >/dev/null)
  [ "${changed%% *}" != "0" ] ||
    fail "$label: the screen did not change in a second: the animation stands still"
  end_with_key space 5000 >/dev/null || fail "$label: a key did not end the saver"
  # The next run must not meet this saver's window as "already running".
  for i in $(seq 50); do
    running || break
    sleep 0.1
  done
  running && fail "$label: the saver process did not end"
  wait "$SAVER_PID" 2>/dev/null
  log "$label: animated and ended on a key"
}

wine_setup
wine_reg_add 'HKCU\Software\Wine\X11 Driver' Managed REG_SZ N
wine_reg_add 'HKCU\Control Panel\Desktop' ScreenSaveUsePassword REG_SZ 0

alone="$WORK_DIR/alone"
mkdir -p "$alone"
cp "$FIZZLET_SCR" "$alone/fizzlet.scr"
wine_reg_add "$CONFIG" audio_on REG_SZ 1
FIZZLET_SCR="$alone/fizzlet.scr" wine_start /s
check_run missing-music

wine_reg_add "$CONFIG" audio_on REG_SZ 0
wine_start /s
check_run audio-off

[ -f "$(dirname "$FIZZLET_SCR")/FZLMUS1.MID" ] || fail "the pieces were not copied beside fizzlet.scr"
wine_reg_add "$CONFIG" audio_on REG_SZ 1
wine_start /s
check_run audio-on
pass
