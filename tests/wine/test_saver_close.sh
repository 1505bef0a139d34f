#!/usr/bin/env bash
# Close requests from outside the frame loop: taskkill (WM_CLOSE) and the
# keyboard's Alt+F4 end the saver through its two-pass unload, and the
# process exits cleanly.  With the system's password option on, Alt+F4 is
# ignored, since it would end a password-protected saver without the password.
set -u
# shellcheck source=tests/wine/lib.sh
. "${FIZZLET_E2E_LIB:-$(dirname "$0")/lib.sh}"
e2e_setup
e2e_setting audio_on 0

e2e_saver_up
sleep 1.5
E2E_T0=$(e2e_now_ms)
wine taskkill /im "$(basename "$FIZZLET_SCR")" >/dev/null 2>&1 </dev/null
ms=$(e2e_ms_until_gone 3000) || e2e_fail "a close request (taskkill) did not end the saver"
e2e_reap_saver
rc=$?
[ "$rc" -eq 0 ] || e2e_fail "the saver exited with code $rc after a close request"
e2e_note "taskkill: window gone after $ms ms (taskkill start-up included), exit code 0"

e2e_saver_up
sleep 1.5
e2e_saver_press alt+F4
ms=$(e2e_ms_until_gone 1500) || e2e_fail "Alt+F4 did not end the saver"
e2e_reap_saver
e2e_note "Alt+F4: window gone after $ms ms"

wine reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /d 1 /f >/dev/null 2>&1 </dev/null
e2e_saver_up
sleep 1.5
e2e_saver_press alt+F4
sleep 1.5
[ "$(e2e_window_count "$E2E_SAVER_CAPTION")" -eq 1 ] || e2e_fail "Alt+F4 ended a password-protected saver"
xdotool search --onlyvisible --name "^Screen Saver Password\$" >/dev/null 2>&1 &&
  e2e_fail "Alt+F4 counted as activity"
e2e_note "Alt+F4 with the password option on: saver still running, no dialog"
wine reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /d 0 /f >/dev/null 2>&1 </dev/null
e2e_stop_saver
e2e_pass
