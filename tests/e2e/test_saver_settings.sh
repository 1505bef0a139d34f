#!/usr/bin/env bash
# Bad stored settings and missing music do not stop the saver: with
# corrupt or out-of-range values, with audio_on "0", and run from a folder
# without the music files, it animates until a key ends it.
set -u
# shellcheck source=saver_lib.sh
. "$(dirname "$0")/saver_lib.sh"
saver_session_start

runs_until_key() {  # label [path of fizzlet.scr]
  start_saver "${2:-}"
  sleep 3
  shot "$1"
  [ "$(saver_window_count)" -eq 1 ] || fail "$1: the saver did not keep running"
  local lit
  lit=$(lit_pixels "$1" 0 0 "$screen_w" "$screen_h")
  [ "$lit" -ge 100 ] || fail "$1: nothing is drawn (lit pixels: $lit)"
  ms=$(end_with_key x) || fail "$1: a key did not end the saver"
  reap_saver
  local rc=$?
  [ "$rc" -eq 0 ] || fail "$1: the saver exited with code $rc"
  note "$1: animated ($lit lit pixels), ended $ms ms after the key"
}

set_setting total_fizzlet 999x
set_setting pop_chance -5
set_setting audio_on abc
set_setting misc 'odd!'
runs_until_key corrupt

set_setting total_fizzlet 32767
set_setting pop_chance 99999999999
set_setting audio_on 1
set_setting misc ''
runs_until_key out-of-range

set_setting total_fizzlet ''
set_setting pop_chance '  7'
set_setting audio_on 0
runs_until_key audio-off

# Music on, but no music files beside the program.
lonely="$E2E_DIR/lonely"
mkdir -p "$lonely"
cp "$FIZZLET_SCR" "$lonely/"
set_setting total_fizzlet 50
set_setting pop_chance 20
set_setting audio_on 1
runs_until_key no-music "$lonely/$(basename "$FIZZLET_SCR")"
echo "PASS"
