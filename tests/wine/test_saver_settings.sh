#!/usr/bin/env bash
# Bad stored settings and missing music do not stop the saver: with
# corrupt or out-of-range values, with audio_on "0", and run from a folder
# without the music files, it animates until a key ends it.
set -u
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"
wine_setup

runs_until_key() {  # label [path of fizzlet.scr]
  wine_saver_up "${2:-}"
  sleep 3
  shot "$1"
  [ "$(window_count "$SAVER_CAPTION")" -eq 1 ] || fail "$1: the saver did not keep running"
  local lit
  lit=$(lit_pixels "$1" "${SCREEN_W}x$SCREEN_H+0+0")
  [ "$lit" -ge 100 ] || fail "$1: nothing is drawn (lit pixels: $lit)"
  ms=$(end_with_key x) || fail "$1: a key did not end the saver"
  reap_saver
  local rc=$?
  [ "$rc" -eq 0 ] || fail "$1: the saver exited with code $rc"
  note "$1: animated ($lit lit pixels), ended $ms ms after the key"
}

wine_setting total_fizzlet 999x
wine_setting pop_chance -5
wine_setting audio_on abc
wine_setting misc 'odd!'
runs_until_key corrupt

wine_setting total_fizzlet 32767
wine_setting pop_chance 99999999999
wine_setting audio_on 1
wine_setting misc ''
runs_until_key out-of-range

wine_setting total_fizzlet ''
wine_setting pop_chance '  7'
wine_setting audio_on 0
runs_until_key audio-off

# Music on, but no music files beside the program.
lonely="$WORK_DIR/lonely"
mkdir -p "$lonely"
cp "$FIZZLET_SCR" "$lonely/"
wine_setting total_fizzlet 50
wine_setting pop_chance 20
wine_setting audio_on 1
runs_until_key no-music "$lonely/$(basename "$FIZZLET_SCR")"
pass
