#!/usr/bin/env bash
# The dialogs at 96 and at 144 pixels per inch (Wine's LogPixels): every
# dialog's client area at 144 is 1.5 times its size at 96, because the forms
# are laid out in twips; and at 144 the saver still covers the whole screen.
# Screenshots of every dialog at both resolutions go to FIZZLET_SHOTS
# when it is set.
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"

CONFIG="Screen Saver Configuration"
ABOUT="About This Screen Saver..."
CHANGE="Change  Password"
SAVER="screen saver running"
ABOUT_BUTTON=1020

# Prints the client size of the dialog CAPTION as WxH, then closes it.
closed_size() {  # caption
  wine_inspect "$1" | awk '$1 == "window" { print $3 "x" $4 }'
  wine_close_request "$1"
  wait_no_window "$1" 10 || fail "the dialog \"$1\" did not close"
}

# Opens each dialog at the resolution and prints "config about change"
# client sizes (width x height).
measure() {  # dpi
  wine_reg_add 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD "$1"
  wine_start /c
  wait_window "$CONFIG" 20 >/dev/null || fail "$1 dpi: no configuration dialog"
  wine_click_control "$CONFIG" $ABOUT_BUTTON || fail "$1 dpi: could not click About"
  wait_window "$ABOUT" 10 >/dev/null || fail "$1 dpi: no about box"
  sleep 0.5
  shot "configuration-and-about-$1"
  local about config
  about=$(closed_size "$ABOUT")
  config=$(closed_size "$CONFIG")
  wine_start /a
  wait_window "$CHANGE" 20 >/dev/null || fail "$1 dpi: no password change dialog"
  sleep 0.5
  shot "password-change-$1"
  echo "$config $about $(closed_size "$CHANGE")"
}

wine_setup
wine_reg_add 'HKCU\Software\Tarvo Fizzlet Screen Saver\Config' audio_on REG_SZ 0
at96=$(measure 96)
at144=$(measure 144)
log "client areas at 96 dpi: $at96; at 144 dpi: $at144"
# 7860 x 4230, 4680 x 2355 and 5265 x 1545 twips: 15 twips a pixel at 96,
# 10 at 144 (halves to even).
[ "$at96" = "524x282 312x157 351x103" ] || fail "at 96 dpi: $at96"
[ "$at144" = "786x423 468x236 526x154" ] || fail "at 144 dpi: $at144"

# The saver at 144 dpi covers the screen pixel for pixel.
wine_start /s
saver=$(wait_window "$SAVER" 20) || fail "the saver window never appeared"
sleep 1
screen=$(xdotool getdisplaygeometry)
eval "$(xdotool getwindowgeometry --shell "$saver")"
[ "$X $Y ${WIDTH} ${HEIGHT}" = "0 0 ${screen/ / }" ] ||
  fail "at 144 dpi the saver covers $WIDTH x $HEIGHT at $X,$Y of a $screen screen"
end_with_key a >/dev/null || fail "a key did not end the saver"
pass
