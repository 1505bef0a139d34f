#!/usr/bin/env bash
# The password check of the running saver, driven like a user would:
# with the system's password option on and a stored password, activity opens
# exactly one "Screen Saver Password" dialog however much more activity
# follows; a wrong password brings the "Passwords" message and keeps the saver;
# Cancel (reached with Tab, so the dialog's keyboard navigation is tested too)
# returns to the animation and the next activity opens the dialog again; the
# right password typed in another letter case ends the saver.
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"

SAVER="screen saver running"
DIALOG="Screen Saver Password"
MESSAGE="Passwords"
CONFIG='HKCU\Software\Tarvo Fizzlet Screen Saver\Config'

type_into() {  # caption text: typed, then Enter
  focus "$1" || fail "could not give \"$1\" the keyboard"
  xdotool type --delay 60 "$2"
  sleep 0.3
  xdotool key Return
}

wine_setup
# No window manager here: let closing windows go at once.
wine_reg_add 'HKCU\Software\Wine\X11 Driver' Managed REG_SZ N
wine_reg_add 'HKCU\Control Panel\Desktop' ScreenSaveUsePassword REG_SZ 1
wine_reg_add "$CONFIG" misc REG_SZ "$(scramble Pop42)"
wine_reg_add "$CONFIG" audio_on REG_SZ 0

wine_start /s
wait_window "$SAVER" 15 >/dev/null || fail "the saver window never appeared"
sleep 2
shot running

# Activity: a character key on the saver.
wine_activity_opens "$DIALOG" a || fail "activity did not open the password dialog"
sleep 0.5
shot dialog
# More activity while it is open: keys on the saver and a burst of mouse moves.
press "$SAVER" b c d
for i in $(seq 40); do xdotool mousemove $((100 + i * 7)) $((100 + i * 3)); sleep 0.02; done
sleep 1
[ "$(window_count "$DIALOG")" -eq 1 ] || fail "more activity opened a second dialog"

# A wrong password: the message, and the saver goes on.
type_into "$DIALOG" wrong
wait_window "$MESSAGE" 5 >/dev/null || fail "a wrong password did not bring the Passwords message"
sleep 0.3
shot wrong-password
press "$MESSAGE" Return
wait_no_window "$MESSAGE" 5 || fail "the Passwords message did not close"
[ "$(window_count "$DIALOG")" -eq 1 ] || fail "the dialog closed after a wrong password"
[ "$(window_count "$SAVER")" -eq 1 ] || fail "the saver ended after a wrong password"

# Cancel with the keyboard: Tab to Ok, Tab to Cancel, Space presses it.
press "$DIALOG" Tab Tab space
wait_no_window "$DIALOG" 5 || fail "Cancel did not close the dialog"
sleep 1
[ "$(window_count "$SAVER")" -eq 1 ] || fail "the saver ended on Cancel"
shot after-cancel

# The next activity opens the dialog again; the right password in another
# letter case ends the saver.
wine_activity_opens "$DIALOG" x || fail "activity after Cancel did not reopen the dialog"
[ "$(window_count "$DIALOG")" -eq 1 ] || fail "two dialogs after reopening"
type_into "$DIALOG" pOP42
wait_no_window "$SAVER" 5 || fail "the right password did not end the saver"
[ "$(window_count "$MESSAGE")" -eq 0 ] || fail "the right password was refused"
pass
