#!/usr/bin/env bash
# Changing the password and using it, driven like a user would: /a opens
# "Change  Password"; entries that do not match and a 31-character password
# bring their messages and store nothing; Cancel keeps the old password; a
# password typed twice, in mixed letter case and once with a shifted symbol,
# is stored mapped to the unshifted key characters and scrambled.  The
# running saver then asks for it: Escape leaves its password dialog open and
# the saver running, and the new password ends the saver.
# shellcheck source=tests/wine/lib.sh
. "${FIZZLET_E2E_LIB:-$(dirname "$0")/lib.sh}"

CHANGE="Change  Password"
MISMATCH="Microsoft Windows"
TOO_LONG="Change Password"
SAVER="screen saver running"
CHECK="Screen Saver Password"
KEY='HKCU\Software\Tarvo Fizzlet Screen Saver\Config'
NEW_PASSWORD=1104 NEW_PASSWORD2=1105

# Replaces the text of a password box: click into it, clear it, type.
retype() {  # control text
  e2e_click_control "$CHANGE" "$1" || e2e_fail "could not click box $1"
  e2e_press "$CHANGE" End shift+Home Delete
  xdotool type --delay 60 "$2"
}
# Both entries, then Enter (OK); expects the message box TITLE, closes it.
refused() {  # first second title
  retype $NEW_PASSWORD "$1"
  retype $NEW_PASSWORD2 "$2"
  xdotool key Return
  e2e_wait_window "$3" 10 >/dev/null || e2e_fail "no \"$3\" message for \"$1\" / \"$2\""
  sleep 0.3
  e2e_shot "refused-$3"
  e2e_press "$3" Return
  e2e_wait_no_window "$3" 10 || e2e_fail "the \"$3\" message did not close"
  [ "$(e2e_window_count "$CHANGE")" -eq 1 ] || e2e_fail "the dialog closed after a refusal"
  [ "$(e2e_reg_query "$KEY" misc)" = "$OLD" ] || e2e_fail "a refused password was stored"
}
open_change() {
  e2e_start_saver /a
  e2e_wait_window "$CHANGE" 20 >/dev/null || e2e_fail "/a did not open the password change dialog"
}

e2e_setup
OLD=$(e2e_scramble OLD1)
e2e_reg_add "$KEY" misc REG_SZ "$OLD"
e2e_reg_add "$KEY" audio_on REG_SZ 0

open_change
sleep 0.5
e2e_shot open
refused abc abd "$MISMATCH"
long=$(printf 'a%.0s' $(seq 31))
refused "$long" "$long" "$TOO_LONG"
# Cancel (Escape) keeps the old password.
e2e_press "$CHANGE" Escape
e2e_wait_no_window "$CHANGE" 10 || e2e_fail "Escape did not cancel the dialog"
[ "$(e2e_reg_query "$KEY" misc)" = "$OLD" ] || e2e_fail "Cancel changed the password"

# Mixed letter case, and "!" typed with Shift where the other has "1".
open_change
retype $NEW_PASSWORD 'PoP!x'
retype $NEW_PASSWORD2 'pOp1X'
xdotool key Return
e2e_wait_no_window "$CHANGE" 10 || e2e_fail "a confirmed password did not close the dialog"
[ "$(e2e_window_count "$MISMATCH")" -eq 0 ] || e2e_fail "the entries were taken as different"
[ "$(e2e_reg_query "$KEY" misc)" = "$(e2e_scramble POP1X)" ] ||
  e2e_fail "stored $(e2e_reg_query "$KEY" misc), expected the scrambled POP1X"

# The running saver asks for the new password.
e2e_reg_add 'HKCU\Control Panel\Desktop' ScreenSaveUsePassword REG_SZ 1
e2e_start_saver /s
e2e_wait_window "$SAVER" 20 >/dev/null || e2e_fail "the saver window never appeared"
sleep 2
for try in 1 2 3; do  # a key in the last frame of an activity window is discarded by design
  e2e_press "$SAVER" a
  e2e_wait_window "$CHECK" 2 >/dev/null && break
done
e2e_wait_window "$CHECK" 2 >/dev/null || e2e_fail "activity did not open the password dialog"
e2e_press "$CHECK" Escape
sleep 1
[ "$(e2e_window_count "$CHECK")" -eq 1 ] || e2e_fail "Escape closed the password dialog"
[ "$(e2e_window_count "$SAVER")" -eq 1 ] || e2e_fail "Escape ended the saver"
e2e_shot check-after-escape
e2e_press "$CHECK" p o p 1 x Return
e2e_wait_no_window "$SAVER" 10 || e2e_fail "the new password did not end the saver"
e2e_pass
