#!/usr/bin/env bash
# The configuration dialog, driven like a user would: an empty command line
# and /c open "Screen Saver Configuration" with 36 kernels, chance 10 and
# music on a first run; the scroll bars follow the keyboard; Exit, Alt+F4 and
# a close request from outside all store what the controls show.  Preview
# saves first and runs the saver with those values, which a key ends without
# the password even with the password option on, and the dialog is usable
# afterwards.  The about box opens and closes over an unchanged dialog.
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"

CONFIG="Screen Saver Configuration"
ABOUT="About This Screen Saver..."
SAVER="screen saver running"
KEY='HKCU\Software\Tarvo Fizzlet Screen Saver\Config'
KERNEL_COUNT_BAR=1010 POP_CHANCE_BAR=1011 MUSIC_BOX=1012 ABOUT_BUTTON=1020 EXIT=1021 PREVIEW=1023 HOME_PAGE=1203

open_dialog() {  # switches...
  wine_start "$@"
  wait_window "$CONFIG" 20 >/dev/null || fail "\"$*\" did not open the configuration dialog"
}
shows() {  # kernels chance music
  local got
  got=$(wine_inspect "$CONFIG" | awk -v a=$KERNEL_COUNT_BAR -v b=$POP_CHANCE_BAR -v c=$MUSIC_BOX '
    $1 == "control" { value[$2] = $9 } END { print value[a], value[b], value[c] }')
  [ "$got" = "$1 $2 $3" ] || fail "the dialog shows $got, expected $1 $2 $3"
}
stored() {  # kernels chance music: waits until the registry holds them
  local got="" try
  for try in $(seq 20); do
    got=$(wine reg query "$KEY" 2>/dev/null | tr -d '\r' | awk '
      { value[$1] = $3 } END { print value["total_fizzlet"], value["pop_chance"], value["audio_on"] }')
    [ "$got" = "$1 $2 $3" ] && return 0
    sleep 0.3
  done
  fail "the registry holds $got, expected $1 $2 $3"
}
closed() {  # how
  wait_no_window "$CONFIG" 10 || fail "$1 did not close the dialog"
}

wine_setup

# A first run with an empty command line.
open_dialog
sleep 0.5
shows 36 10 1
shot first-run
# The keyboard: Tab from Password to the kernels bar (Preview, Exit, the
# check box, the bar), End and two Left; Tab over About to the second bar,
# Home, Right and Page Down; back to the check box, Space.
press "$CONFIG" Tab Tab Tab Tab End Left Left Tab Tab Home Right Next shift+Tab shift+Tab shift+Tab space
sleep 0.3
shows 98 3 0
wine_click_control "$CONFIG" $EXIT || fail "could not click Exit"
closed Exit
stored 98 3 0

# /c shows what was stored; Page Up on the kernels bar, then Alt+F4.
open_dialog /c
shows 98 3 0
press "$CONFIG" Tab Tab Tab Tab Prior
press "$CONFIG" alt+F4
closed Alt+F4
stored 97 3 0

# A close request from outside saves as well.
open_dialog /c
press "$CONFIG" Tab Tab Tab Tab Right Right
wine_close_request "$CONFIG"
closed "a close request"
stored 99 3 0

# Preview with the password option on: saved first, no password asked.
wine_reg_add 'HKCU\Control Panel\Desktop' ScreenSaveUsePassword REG_SZ 1
wine_reg_add "$KEY" misc REG_SZ "wfzdzhspxj"
open_dialog /c
press "$CONFIG" Tab Tab Tab Tab Home Right Right Right Right Tab Tab End
shows 5 50 0
wine_click_control "$CONFIG" $PREVIEW || fail "could not click Preview"
wait_window "$SAVER" 20 >/dev/null || fail "Preview did not start the saver"
stored 5 50 0
[ "$(wine_inspect "$CONFIG" | awk '$1 == "window" { print $2 }')" = 0 ] ||
  fail "the dialog can be used while the preview runs"
sleep 2
shot preview
end_with_key a >/dev/null || fail "a key did not end the preview"
[ "$(window_count "Screen Saver Password")" -eq 0 ] || fail "the preview asked for the password"
[ "$(wine_inspect "$CONFIG" | awk '$1 == "window" { print $2 }')" = 1 ] ||
  fail "the dialog is not usable after the preview"
# Usable: the keyboard moves the kernels bar again (Tab from Preview: Exit,
# the check box, the bar).
press "$CONFIG" Tab Tab Tab Right
sleep 0.3
shows 6 50 0

# The about box: opens over the dialog, its home page button reports
# nothing, it closes with Enter (its Ok), and the dialog is as it was.
before=$(wine_inspect "$CONFIG")
wine_click_control "$CONFIG" $ABOUT_BUTTON || fail "could not click About"
wait_window "$ABOUT" 10 >/dev/null || fail "About did not open the about box"
about=$(wine_inspect "$ABOUT")
for text in "Fizzlet Screen Saver" "Want more screen savers? Click Here!" "Ok"; do
  printf '%s\n' "$about" | grep -q " $text\$" || fail "the about box lacks \"$text\""
done
sleep 0.5
shot about
# The home page button: no browser on the test machine, and nothing is
# reported; the about box stays as it is.
wine_click_control "$ABOUT" $HOME_PAGE || fail "could not click the home page button"
sleep 2
[ "$(wine_inspect "$ABOUT")" = "$about" ] || fail "the about box changed after the home page button"
[ "$(window_count "$ABOUT")" -eq 1 ] || fail "the about box went away"
press "$ABOUT" Return
wait_no_window "$ABOUT" 10 || fail "Ok did not close the about box"
[ "$(wine_inspect "$CONFIG")" = "$before" ] || fail "the dialog changed behind the about box"
wine_close_request "$CONFIG"
closed "the last close request"
stored 6 50 0
[ "$(wine_reg_query "$KEY" misc)" = "wfzdzhspxj" ] || fail "closing the dialog changed the password"
pass
