#!/usr/bin/env bash
# Start-up under Wine: an unknown switch ends at once, opens nothing and
# writes no settings; saver mode ends at once, opening nothing more, while a
# saver already runs (a window captioned "screen saver running" exists).
# shellcheck disable=SC1090
. "$FIZZLET_E2E_LIB"
e2e_setup

settings_key='HKCU\Software\Tarvo Fizzlet Screen Saver'
caption="screen saver running"

# /x: nothing opens and the process ends at once.
e2e_run_saver 20 /x || e2e_fail "/x did not end by itself (status $?)"
e2e_log "/x ended after ${E2E_ELAPSED_MS} ms"
[ "$(e2e_window_count "$caption")" -eq 0 ] || e2e_fail "/x left a saver window"
# Loading the settings reads them; it never writes them back.
e2e_reg_key_exists "$settings_key" && e2e_fail "/x wrote settings"

# Stored settings of any shape do not stop start-up.
e2e_reg_add "$settings_key\\Config" total_fizzlet REG_SZ "99999999999999999999"
e2e_reg_add "$settings_key\\Config" misc REG_SZ "not scrambled"
e2e_run_saver 20 /x || e2e_fail "/x with odd settings did not end by itself"
[ "$(e2e_reg_query "$settings_key\\Config" total_fizzlet)" = "99999999999999999999" ] ||
  e2e_fail "loading changed a stored value"

# /s while another saver runs: ends at once, leaving only the other window.
e2e_hold_window "$caption" || e2e_fail "the stand-in saver window did not appear"
e2e_run_saver 20 /s || e2e_fail "/s did not end by itself while a saver runs (status $?)"
e2e_log "/s beside a running saver ended after ${E2E_ELAPSED_MS} ms"
[ "$(e2e_window_count "$caption")" -eq 1 ] || e2e_fail "/s opened a second saver window"
e2e_run_saver 20 /Saver || e2e_fail "/Saver did not end by itself while a saver runs"
[ "$(e2e_window_count "$caption")" -eq 1 ] || e2e_fail "/Saver opened a second saver window"

e2e_pass
