#!/usr/bin/env bash
# The password dialog closes by itself twenty seconds after it opened, even
# while the user types, and the saver goes on: the saver's next frames leave
# no trace of the dialog on the screen, and the next activity opens a fresh
# dialog.
# shellcheck source=tests/wine/lib.sh
. "${FIZZLET_E2E_LIB:-$(dirname "$0")/lib.sh}"

SAVER="screen saver running"
DIALOG="Screen Saver Password"

# A key on the saver is activity (a key in the last frame of an 80-frame
# activity window is discarded by design, hence up to three tries).
activity_opens_dialog() {
  local try
  for try in 1 2 3; do
    e2e_focus "$SAVER" || e2e_fail "could not give the saver the keyboard"
    xdotool key "$1"
    e2e_wait_window "$DIALOG" 2 >/dev/null && return 0
  done
  return 1
}
# Pixels of exactly COLOUR in the rectangle W H X Y of a screenshot.
count_colour() {
  convert "$1" -crop "${3}x${4}+${5}+${6}" +repage -alpha off -fill black +opaque "$2" \
    -fill white -opaque "$2" -format '%[fx:round(mean*w*h)]' info:
}

e2e_setup
e2e_reg_add 'HKCU\Software\Wine\X11 Driver' Managed REG_SZ N
e2e_reg_add 'HKCU\Control Panel\Desktop' ScreenSaveUsePassword REG_SZ 1
e2e_reg_add 'HKCU\Software\Tarvo Fizzlet Screen Saver\Config' audio_on REG_SZ 0

e2e_start_saver /s
e2e_wait_window "$SAVER" 15 >/dev/null || e2e_fail "the saver window never appeared"
sleep 2
activity_opens_dialog a || e2e_fail "activity did not open the password dialog"
opened=$(e2e_now_ms)
dialog=$(e2e_windows "$DIALOG" | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$dialog")"   # X Y WIDTH HEIGHT
sleep 1
e2e_screenshot "$E2E_DIR/open.png"
# The dialog's face colour, a little inside its lower left corner.
face=$(convert "$E2E_DIR/open.png" -format "%[pixel:p{$((X + 4)),$((Y + HEIGHT - 4))}]" info:)
inside=$(count_colour "$E2E_DIR/open.png" "$face" "$WIDTH" "$HEIGHT" "$X" "$Y")
[ "$inside" -gt $((WIDTH * HEIGHT / 3)) ] || e2e_fail "could not find the dialog on the screen ($inside pixels of $face)"

# Typing does not restart the timer.
sleep 8
e2e_focus "$DIALOG" && xdotool type --delay 100 "typing"
e2e_wait_no_window "$DIALOG" 15 || e2e_fail "the dialog did not close by itself"
closed_after=$(( $(e2e_now_ms) - opened ))
[ "$closed_after" -ge 19000 ] || e2e_fail "the dialog closed after only $closed_after ms"
# Typing about nine seconds in would, if it restarted the timer, keep the
# dialog until about 29 s.
[ "$closed_after" -le 27000 ] || e2e_fail "the dialog closed only after $closed_after ms"
sleep 1
[ "$(e2e_window_count "$SAVER")" -eq 1 ] || e2e_fail "the saver ended with the time-out"
e2e_screenshot "$E2E_DIR/closed.png"
left=$(count_colour "$E2E_DIR/closed.png" "$face" "$WIDTH" "$HEIGHT" "$X" "$Y")
[ "$left" -lt 50 ] || e2e_fail "the dialog's image is still on the screen ($left pixels of $face)"

activity_opens_dialog b || e2e_fail "activity after the time-out did not open a fresh dialog"
e2e_log "closed by itself after $closed_after ms; $inside dialog pixels before, $left after"
e2e_pass
