#!/usr/bin/env bash
# Start-up under Wine: an unknown switch ends at once, opens nothing and
# writes no settings; saver mode ends at once, opening nothing more, while a
# saver already runs (a window captioned "screen saver running" exists).
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"
wine_setup

settings_key='HKCU\Software\Tarvo Fizzlet Screen Saver'
caption="screen saver running"

# /x: nothing opens and the process ends at once.
wine_run 20 /x || fail "/x did not end by itself (status $?)"
log "/x ended after ${ELAPSED_MS} ms"
[ "$(window_count "$caption")" -eq 0 ] || fail "/x left a saver window"
# Loading the settings reads them; it never writes them back.
wine_reg_key_exists "$settings_key" && fail "/x wrote settings"

# Stored settings of any shape do not stop start-up.
wine_reg_add "$settings_key\\Config" total_fizzlet REG_SZ "99999999999999999999"
wine_reg_add "$settings_key\\Config" misc REG_SZ "not scrambled"
wine_run 20 /x || fail "/x with odd settings did not end by itself"
[ "$(wine_reg_query "$settings_key\\Config" total_fizzlet)" = "99999999999999999999" ] ||
  fail "loading changed a stored value"

# /s while another saver runs: ends at once, leaving only the other window.
wine_hold_window "$caption" || fail "the stand-in saver window did not appear"
wine_run 20 /s || fail "/s did not end by itself while a saver runs (status $?)"
log "/s beside a running saver ended after ${ELAPSED_MS} ms"
[ "$(window_count "$caption")" -eq 1 ] || fail "/s opened a second saver window"
wine_run 20 /Saver || fail "/Saver did not end by itself while a saver runs"
[ "$(window_count "$caption")" -eq 1 ] || fail "/Saver opened a second saver window"

pass
