#!/usr/bin/env bash
# The dialogs at 96 and at 144 pixels per inch (Wine's LogPixels): every
# dialog's client area at 144 is 1.5 times its size at 96, because the forms
# are laid out in twips; and at 144 the saver still covers the whole screen.
# Screenshots of every dialog at both resolutions go to FIZZLET_E2E_SHOTS
# when it is set.
# shellcheck source=tests/wine/lib.sh
. "${FIZZLET_E2E_LIB:-$(dirname "$0")/lib.sh}"

CONFIG="Screen Saver Configuration"
ABOUT="About This Screen Saver..."
CHANGE="Change  Password"
SAVER="screen saver running"
ABOUT_BUTTON=1020

client_size() { e2e_inspect "$1" | awk '$1 == "window" { print $3, $4 }'; }

# Opens each dialog at the resolution and prints "config about change"
# client sizes (width x height).
measure() {  # dpi
  e2e_reg_add 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD "$1"
  local config about change
  e2e_start_saver /c
  e2e_wait_window "$CONFIG" 20 >/dev/null || e2e_fail "$1 dpi: no configuration dialog"
  config=$(client_size "$CONFIG")
  e2e_click_control "$CONFIG" $ABOUT_BUTTON || e2e_fail "$1 dpi: could not click About"
  e2e_wait_window "$ABOUT" 10 >/dev/null || e2e_fail "$1 dpi: no about box"
  sleep 0.5
  e2e_shot "configuration-and-about-$1"
  about=$(client_size "$ABOUT")
  e2e_close_request "$ABOUT"
  e2e_wait_no_window "$ABOUT" 10 || e2e_fail "$1 dpi: the about box did not close"
  e2e_close_request "$CONFIG"
  e2e_wait_no_window "$CONFIG" 10 || e2e_fail "$1 dpi: the configuration dialog did not close"
  e2e_start_saver /a
  e2e_wait_window "$CHANGE" 20 >/dev/null || e2e_fail "$1 dpi: no password change dialog"
  sleep 0.5
  e2e_shot "password-change-$1"
  change=$(client_size "$CHANGE")
  e2e_close_request "$CHANGE"
  e2e_wait_no_window "$CHANGE" 10 || e2e_fail "$1 dpi: the password change dialog did not close"
  echo "${config/ /x} ${about/ /x} ${change/ /x}"
}

e2e_setup
e2e_reg_add 'HKCU\Software\Tarvo Fizzlet Screen Saver\Config' audio_on REG_SZ 0
at96=$(measure 96)
at144=$(measure 144)
e2e_log "client areas at 96 dpi: $at96; at 144 dpi: $at144"
# 7860 x 4230, 4680 x 2355 and 5265 x 1545 twips: 15 twips a pixel at 96,
# 10 at 144 (halves to even).
[ "$at96" = "524x282 312x157 351x103" ] || e2e_fail "at 96 dpi: $at96"
[ "$at144" = "786x423 468x236 526x154" ] || e2e_fail "at 144 dpi: $at144"

# The saver at 144 dpi covers the screen pixel for pixel.
e2e_start_saver /s
saver=$(e2e_wait_window "$SAVER" 20) || e2e_fail "the saver window never appeared"
sleep 1
screen=$(xdotool getdisplaygeometry)
eval "$(xdotool getwindowgeometry --shell "$saver")"
[ "$X $Y ${WIDTH} ${HEIGHT}" = "0 0 ${screen/ / }" ] ||
  e2e_fail "at 144 dpi the saver covers $WIDTH x $HEIGHT at $X,$Y of a $screen screen"
e2e_saver_end_with_key a >/dev/null || e2e_fail "a key did not end the saver"
e2e_pass
