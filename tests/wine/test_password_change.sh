#!/usr/bin/env bash
# Changing the password and using it, driven like a user would: /a opens
# "Change  Password"; entries that do not match and a 31-character password
# bring their messages and store nothing; Cancel keeps the old password; a
# password typed twice, in mixed letter case and once with a shifted symbol,
# is stored mapped to the unshifted key characters and scrambled.  The
# running saver then asks for it: Escape leaves its password dialog open and
# the saver running, and the new password ends the saver.
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"

CHANGE="Change  Password"
MISMATCH="Microsoft Windows"
TOO_LONG="Change Password"
SAVER="screen saver running"
CHECK="Screen Saver Password"
KEY='HKCU\Software\Tarvo Fizzlet Screen Saver\Config'
NEW_PASSWORD=1104 CONFIRM_PASSWORD=1105

# Replaces the text of a password box: click into it, clear it, type.
retype() {  # control text
  wine_click_control "$CHANGE" "$1" || fail "could not click box $1"
  press "$CHANGE" End shift+Home Delete
  xdotool type --delay 60 "$2"
}
# Both entries, then Enter (OK); expects the message box TITLE, closes it.
refused() {  # first second title
  retype $NEW_PASSWORD "$1"
  retype $CONFIRM_PASSWORD "$2"
  xdotool key Return
  wait_window "$3" 10 >/dev/null || fail "no \"$3\" message for \"$1\" / \"$2\""
  sleep 0.3
  shot "refused-$3"
  press "$3" Return
  wait_no_window "$3" 10 || fail "the \"$3\" message did not close"
  [ "$(window_count "$CHANGE")" -eq 1 ] || fail "the dialog closed after a refusal"
  [ "$(wine_reg_query "$KEY" misc)" = "$OLD" ] || fail "a refused password was stored"
}
open_change() {
  wine_start /a
  wait_window "$CHANGE" 20 >/dev/null || fail "/a did not open the password change dialog"
}

wine_setup
OLD=$(scramble OLD1)
wine_reg_add "$KEY" misc REG_SZ "$OLD"
wine_reg_add "$KEY" audio_on REG_SZ 0

open_change
sleep 0.5
shot open
refused abc abd "$MISMATCH"
long=$(printf 'a%.0s' $(seq 31))
refused "$long" "$long" "$TOO_LONG"
# Cancel (Escape) keeps the old password.
press "$CHANGE" Escape
wait_no_window "$CHANGE" 10 || fail "Escape did not cancel the dialog"
[ "$(wine_reg_query "$KEY" misc)" = "$OLD" ] || fail "Cancel changed the password"

# Mixed letter case, and "!" typed with Shift where the other has "1".
open_change
retype $NEW_PASSWORD 'PoP!x'
retype $CONFIRM_PASSWORD 'pOp1X'
xdotool key Return
wait_no_window "$CHANGE" 10 || fail "a confirmed password did not close the dialog"
[ "$(window_count "$MISMATCH")" -eq 0 ] || fail "the entries were taken as different"
[ "$(wine_reg_query "$KEY" misc)" = "$(scramble POP1X)" ] ||
  fail "stored $(wine_reg_query "$KEY" misc), expected the scrambled POP1X"

# The running saver asks for the new password.
wine_reg_add 'HKCU\Control Panel\Desktop' ScreenSaveUsePassword REG_SZ 1
wine_start /s
wait_window "$SAVER" 20 >/dev/null || fail "the saver window never appeared"
sleep 2
wine_activity_opens "$CHECK" a || fail "activity did not open the password dialog"
press "$CHECK" Escape
sleep 1
[ "$(window_count "$CHECK")" -eq 1 ] || fail "Escape closed the password dialog"
[ "$(window_count "$SAVER")" -eq 1 ] || fail "Escape ended the saver"
shot check-after-escape
press "$CHECK" p o p 1 x Return
wait_no_window "$SAVER" 10 || fail "the new password did not end the saver"
pass
