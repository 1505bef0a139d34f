#!/usr/bin/env bash
# The password check of the running saver, driven like a user would:
# with the system's password option on and a stored password, activity opens
# exactly one "Screen Saver Password" dialog however much more activity
# follows; a wrong password brings the "Passwords" message and keeps the saver;
# Cancel (reached with Tab, so the dialog's keyboard navigation is tested too)
# returns to the animation and the next activity opens the dialog again; the
# right password typed in another letter case ends the saver.
# shellcheck source=tests/wine/lib.sh
. "${FIZZLET_E2E_LIB:-$(dirname "$0")/lib.sh}"

SAVER="screen saver running"
DIALOG="Screen Saver Password"
MESSAGE="Passwords"
CONFIG='HKCU\Software\Tarvo Fizzlet Screen Saver\Config'

# The stored form of a password: each character XOR the key character after
# its position, written as two letters (high half down from z, low half up
# from a).
scramble() {
  python3 -c 'import sys
k = "qeLWN"
print("".join(chr(ord("z") - (x >> 4)) + chr(ord("a") + (x & 15))
              for x in (ord(c) ^ ord(k[i % 5]) for i, c in enumerate(sys.argv[1], 1))))' "$1"
}
press() {  # caption key...: keys to the window once it has the keyboard
  e2e_focus "$1" || e2e_fail "could not give \"$1\" the keyboard"
  shift
  xdotool key --delay 80 "$@"
}
type_into() {  # caption text: typed, then Enter
  e2e_focus "$1" || e2e_fail "could not give \"$1\" the keyboard"
  xdotool type --delay 60 "$2"
  sleep 0.3
  xdotool key Return
}
# A key on the saver is activity; a key that falls in the last frame of an
# 80-frame activity window is discarded by design, so try up to three times.
activity_opens_dialog() {
  local try
  for try in 1 2 3; do
    press "$SAVER" "$1"
    e2e_wait_window "$DIALOG" 2 >/dev/null && return 0
  done
  return 1
}
shot() {
  local folder="${FIZZLET_E2E_SHOTS:-$E2E_DIR}/$E2E_NAME"
  mkdir -p "$folder"
  e2e_screenshot "$folder/$1.png"
}

e2e_setup
# No window manager here: let closing windows go at once.
e2e_reg_add 'HKCU\Software\Wine\X11 Driver' Managed REG_SZ N
e2e_reg_add 'HKCU\Control Panel\Desktop' ScreenSaveUsePassword REG_SZ 1
e2e_reg_add "$CONFIG" misc REG_SZ "$(scramble Pop42)"
e2e_reg_add "$CONFIG" audio_on REG_SZ 0

e2e_start_saver /s
e2e_wait_window "$SAVER" 15 >/dev/null || e2e_fail "the saver window never appeared"
sleep 2
shot running

# Activity: a character key on the saver.
activity_opens_dialog a || e2e_fail "activity did not open the password dialog"
sleep 0.5
shot dialog
# More activity while it is open: keys on the saver and a burst of mouse moves.
press "$SAVER" b c d
for i in $(seq 40); do xdotool mousemove $((100 + i * 7)) $((100 + i * 3)); sleep 0.02; done
sleep 1
[ "$(e2e_window_count "$DIALOG")" -eq 1 ] || e2e_fail "more activity opened a second dialog"

# A wrong password: the message, and the saver goes on.
type_into "$DIALOG" wrong
e2e_wait_window "$MESSAGE" 5 >/dev/null || e2e_fail "a wrong password did not bring the Passwords message"
sleep 0.3
shot wrong-password
press "$MESSAGE" Return
e2e_wait_no_window "$MESSAGE" 5 || e2e_fail "the Passwords message did not close"
[ "$(e2e_window_count "$DIALOG")" -eq 1 ] || e2e_fail "the dialog closed after a wrong password"
[ "$(e2e_window_count "$SAVER")" -eq 1 ] || e2e_fail "the saver ended after a wrong password"

# Cancel with the keyboard: Tab to Ok, Tab to Cancel, Space presses it.
press "$DIALOG" Tab Tab space
e2e_wait_no_window "$DIALOG" 5 || e2e_fail "Cancel did not close the dialog"
sleep 1
[ "$(e2e_window_count "$SAVER")" -eq 1 ] || e2e_fail "the saver ended on Cancel"
shot after-cancel

# The next activity opens the dialog again; the right password in another
# letter case ends the saver.
activity_opens_dialog x || e2e_fail "activity after Cancel did not reopen the dialog"
[ "$(e2e_window_count "$DIALOG")" -eq 1 ] || e2e_fail "two dialogs after reopening"
type_into "$DIALOG" pOP42
e2e_wait_no_window "$SAVER" 5 || e2e_fail "the right password did not end the saver"
[ "$(e2e_window_count "$MESSAGE")" -eq 0 ] || e2e_fail "the right password was refused"
e2e_pass
