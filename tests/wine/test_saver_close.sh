#!/usr/bin/env bash
# Close requests from outside the frame loop: taskkill (WM_CLOSE) and the
# keyboard's Alt+F4 end the saver through its two-pass unload, and the
# process exits cleanly.  With the system's password option on, Alt+F4 is
# ignored, since it would end a password-protected saver without the password.
set -u
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"
wine_setup
wine_setting audio_on 0

wine_saver_up
sleep 1.5
ACTED_MS=$(now_ms)
wine taskkill /im "$(basename "$FIZZLET_SCR")" >/dev/null 2>&1 </dev/null
ms=$(ms_until_gone 3000) || fail "a close request (taskkill) did not end the saver"
reap_saver
rc=$?
[ "$rc" -eq 0 ] || fail "the saver exited with code $rc after a close request"
note "taskkill: window gone after $ms ms (taskkill start-up included), exit code 0"

wine_saver_up
sleep 1.5
saver_press alt+F4
ms=$(ms_until_gone 1500) || fail "Alt+F4 did not end the saver"
reap_saver
note "Alt+F4: window gone after $ms ms"

wine reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /d 1 /f >/dev/null 2>&1 </dev/null
wine_saver_up
sleep 1.5
saver_press alt+F4
sleep 1.5
[ "$(window_count "$SAVER_CAPTION")" -eq 1 ] || fail "Alt+F4 ended a password-protected saver"
xdotool search --onlyvisible --name "^Screen Saver Password\$" >/dev/null 2>&1 &&
  fail "Alt+F4 counted as activity"
note "Alt+F4 with the password option on: saver still running, no dialog"
wine reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /d 0 /f >/dev/null 2>&1 </dev/null
wine_stop_saver
pass
