#!/usr/bin/env bash
# Bad stored settings and missing music do not stop the saver: with
# corrupt or out-of-range values, with audio_on "0", and run from a folder
# without the music files, it animates until a key ends it.
set -u
# shellcheck source=tests/wine/lib.sh
. "${FIZZLET_E2E_LIB:-$(dirname "$0")/lib.sh}"
e2e_setup

runs_until_key() {  # label [path of fizzlet.scr]
  e2e_saver_up "${2:-}"
  sleep 3
  e2e_shot "$1"
  [ "$(e2e_window_count "$E2E_SAVER_CAPTION")" -eq 1 ] || e2e_fail "$1: the saver did not keep running"
  local lit
  lit=$(e2e_lit_pixels "$1" 0 0 "$E2E_SCREEN_W" "$E2E_SCREEN_H")
  [ "$lit" -ge 100 ] || e2e_fail "$1: nothing is drawn (lit pixels: $lit)"
  ms=$(e2e_saver_end_with_key x) || e2e_fail "$1: a key did not end the saver"
  e2e_reap_saver
  local rc=$?
  [ "$rc" -eq 0 ] || e2e_fail "$1: the saver exited with code $rc"
  e2e_note "$1: animated ($lit lit pixels), ended $ms ms after the key"
}

e2e_setting total_fizzlet 999x
e2e_setting pop_chance -5
e2e_setting audio_on abc
e2e_setting misc 'odd!'
runs_until_key corrupt

e2e_setting total_fizzlet 32767
e2e_setting pop_chance 99999999999
e2e_setting audio_on 1
e2e_setting misc ''
runs_until_key out-of-range

e2e_setting total_fizzlet ''
e2e_setting pop_chance '  7'
e2e_setting audio_on 0
runs_until_key audio-off

# Music on, but no music files beside the program.
lonely="$E2E_DIR/lonely"
mkdir -p "$lonely"
cp "$FIZZLET_SCR" "$lonely/"
e2e_setting total_fizzlet 50
e2e_setting pop_chance 20
e2e_setting audio_on 1
runs_until_key no-music "$lonely/$(basename "$FIZZLET_SCR")"
e2e_pass
