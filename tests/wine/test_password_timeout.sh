#!/usr/bin/env bash
# The password dialog closes by itself twenty seconds after it opened, even
# while the user types, and the saver goes on: the saver's next frames leave
# no trace of the dialog on the screen, and the next activity opens a fresh
# dialog.
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"

SAVER="screen saver running"
DIALOG="Screen Saver Password"

# Pixels of exactly COLOUR in the rectangle W H X Y of a screenshot.
count_colour() {
  convert "$1" -crop "${3}x${4}+${5}+${6}" +repage -alpha off -fill black +opaque "$2" \
    -fill white -opaque "$2" -format '%[fx:round(mean*w*h)]' info:
}

wine_setup
wine_reg_add 'HKCU\Software\Wine\X11 Driver' Managed REG_SZ N
wine_reg_add 'HKCU\Control Panel\Desktop' ScreenSaveUsePassword REG_SZ 1
wine_reg_add 'HKCU\Software\Tarvo Fizzlet Screen Saver\Config' audio_on REG_SZ 0

wine_start /s
wait_window "$SAVER" 15 >/dev/null || fail "the saver window never appeared"
sleep 2
wine_activity_opens "$DIALOG" a || fail "activity did not open the password dialog"
opened=$(now_ms)
dialog=$(windows_named "$DIALOG" | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$dialog")"   # X Y WIDTH HEIGHT
sleep 1
screenshot "$WORK_DIR/open.png"
# The dialog's face colour, a little inside its lower left corner.
face=$(convert "$WORK_DIR/open.png" -format "%[pixel:p{$((X + 4)),$((Y + HEIGHT - 4))}]" info:)
inside=$(count_colour "$WORK_DIR/open.png" "$face" "$WIDTH" "$HEIGHT" "$X" "$Y")
[ "$inside" -gt $((WIDTH * HEIGHT / 3)) ] || fail "could not find the dialog on the screen ($inside pixels of $face)"

# Typing does not restart the timer.
sleep 8
focus "$DIALOG" && xdotool type --delay 100 "typing"
wait_no_window "$DIALOG" 15 || fail "the dialog did not close by itself"
closed_after=$(( $(now_ms) - opened ))
[ "$closed_after" -ge 19000 ] || fail "the dialog closed after only $closed_after ms"
# Typing about nine seconds in would, if it restarted the timer, keep the
# dialog until about 29 s.
[ "$closed_after" -le 27000 ] || fail "the dialog closed only after $closed_after ms"
sleep 1
[ "$(window_count "$SAVER")" -eq 1 ] || fail "the saver ended with the time-out"
screenshot "$WORK_DIR/closed.png"
left=$(count_colour "$WORK_DIR/closed.png" "$face" "$WIDTH" "$HEIGHT" "$X" "$Y")
[ "$left" -lt 50 ] || fail "the dialog's image is still on the screen ($left pixels of $face)"

wine_activity_opens "$DIALOG" b || fail "activity after the time-out did not open a fresh dialog"
log "closed by itself after $closed_after ms; $inside dialog pixels before, $left after"
pass
