#!/usr/bin/env bash
# The configuration dialog, driven like a user would: an empty command line
# and /c open "Screen Saver Configuration" with 36 kernels, chance 10 and
# music on a first run; the scroll bars follow the keyboard; Exit, Alt+F4 and
# a close request from outside all store what the controls show.  Preview
# saves first and runs the saver with those values, which a key ends without
# the password even with the password option on, and the dialog is usable
# afterwards.  The about box opens and closes over an unchanged dialog.
# shellcheck source=tests/wine/lib.sh
. "${FIZZLET_E2E_LIB:-$(dirname "$0")/lib.sh}"

CONFIG="Screen Saver Configuration"
ABOUT="About This Screen Saver..."
SAVER="screen saver running"
KEY='HKCU\Software\Tarvo Fizzlet Screen Saver\Config'
HSCROLL1=1010 HSCROLL2=1011 CHECK1=1012 ABOUT_BUTTON=1020 EXIT=1021 PREVIEW=1023 HOME_PAGE=1203

open_dialog() {  # switches...
  e2e_start_saver "$@"
  e2e_wait_window "$CONFIG" 20 >/dev/null || e2e_fail "\"$*\" did not open the configuration dialog"
}
shows() {  # kernels chance music
  local got
  got=$(e2e_inspect "$CONFIG" | awk -v a=$HSCROLL1 -v b=$HSCROLL2 -v c=$CHECK1 '
    $1 == "control" { value[$2] = $9 } END { print value[a], value[b], value[c] }')
  [ "$got" = "$1 $2 $3" ] || e2e_fail "the dialog shows $got, expected $1 $2 $3"
}
stored() {  # kernels chance music: waits until the registry holds them
  local got="" try
  for try in $(seq 20); do
    got=$(wine reg query "$KEY" 2>/dev/null | tr -d '\r' | awk '
      { value[$1] = $3 } END { print value["total_fizzlet"], value["pop_chance"], value["audio_on"] }')
    [ "$got" = "$1 $2 $3" ] && return 0
    sleep 0.3
  done
  e2e_fail "the registry holds $got, expected $1 $2 $3"
}
closed() {  # how
  e2e_wait_no_window "$CONFIG" 10 || e2e_fail "$1 did not close the dialog"
}

e2e_setup

# A first run with an empty command line.
open_dialog
sleep 0.5
shows 36 10 1
e2e_shot first-run
# The keyboard: Tab from Password to the kernels bar (Preview, Exit, the
# check box, the bar), End and two Left; Tab over About to the second bar,
# Home, Right and Page Down; back to the check box, Space.
e2e_press "$CONFIG" Tab Tab Tab Tab End Left Left Tab Tab Home Right Next shift+Tab shift+Tab shift+Tab space
sleep 0.3
shows 98 3 0
e2e_click_control "$CONFIG" $EXIT || e2e_fail "could not click Exit"
closed Exit
stored 98 3 0

# /c shows what was stored; Page Up on the kernels bar, then Alt+F4.
open_dialog /c
shows 98 3 0
e2e_press "$CONFIG" Tab Tab Tab Tab Prior
e2e_press "$CONFIG" alt+F4
closed Alt+F4
stored 97 3 0

# A close request from outside saves as well.
open_dialog /c
e2e_press "$CONFIG" Tab Tab Tab Tab Right Right
e2e_close_request "$CONFIG"
closed "a close request"
stored 99 3 0

# Preview with the password option on: saved first, no password asked.
e2e_reg_add 'HKCU\Control Panel\Desktop' ScreenSaveUsePassword REG_SZ 1
e2e_reg_add "$KEY" misc REG_SZ "wfzdzhspxj"
open_dialog /c
e2e_press "$CONFIG" Tab Tab Tab Tab Home Right Right Right Right Tab Tab End
shows 5 50 0
e2e_click_control "$CONFIG" $PREVIEW || e2e_fail "could not click Preview"
e2e_wait_window "$SAVER" 20 >/dev/null || e2e_fail "Preview did not start the saver"
stored 5 50 0
[ "$(e2e_inspect "$CONFIG" | awk '$1 == "window" { print $2 }')" = 0 ] ||
  e2e_fail "the dialog can be used while the preview runs"
sleep 2
e2e_shot preview
e2e_saver_end_with_key a >/dev/null || e2e_fail "a key did not end the preview"
[ "$(e2e_window_count "Screen Saver Password")" -eq 0 ] || e2e_fail "the preview asked for the password"
[ "$(e2e_inspect "$CONFIG" | awk '$1 == "window" { print $2 }')" = 1 ] ||
  e2e_fail "the dialog is not usable after the preview"
# Usable: the keyboard moves the kernels bar again (Tab from Preview: Exit,
# the check box, the bar).
e2e_press "$CONFIG" Tab Tab Tab Right
sleep 0.3
shows 6 50 0

# The about box: opens over the dialog, its home page button reports
# nothing, it closes with Enter (its Ok), and the dialog is as it was.
before=$(e2e_inspect "$CONFIG")
e2e_click_control "$CONFIG" $ABOUT_BUTTON || e2e_fail "could not click About"
e2e_wait_window "$ABOUT" 10 >/dev/null || e2e_fail "About did not open the about box"
about=$(e2e_inspect "$ABOUT")
for text in "Fizzlet Screen Saver" "Want more screen savers? Click Here!" "Ok"; do
  printf '%s\n' "$about" | grep -q " $text\$" || e2e_fail "the about box lacks \"$text\""
done
sleep 0.5
e2e_shot about
# The home page button: no browser on the test machine, and nothing is
# reported; the about box stays as it is.
e2e_click_control "$ABOUT" $HOME_PAGE || e2e_fail "could not click the home page button"
sleep 2
[ "$(e2e_inspect "$ABOUT")" = "$about" ] || e2e_fail "the about box changed after the home page button"
[ "$(e2e_window_count "$ABOUT")" -eq 1 ] || e2e_fail "the about box went away"
e2e_press "$ABOUT" Return
e2e_wait_no_window "$ABOUT" 10 || e2e_fail "Ok did not close the about box"
[ "$(e2e_inspect "$CONFIG")" = "$before" ] || e2e_fail "the dialog changed behind the about box"
e2e_close_request "$CONFIG"
closed "the last close request"
stored 6 50 0
[ "$(e2e_reg_query "$KEY" misc)" = "wfzdzhspxj" ] || e2e_fail "closing the dialog changed the password"
e2e_pass
