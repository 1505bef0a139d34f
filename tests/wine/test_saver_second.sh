#!/usr/bin/env bash
# A second /s while the saver runs ends at once and leaves one saver window.
set -u
# shellcheck source=tests/wine/lib.sh
. "${FIZZLET_E2E_LIB:-$(dirname "$0")/lib.sh}"
e2e_setup
e2e_setting audio_on 0

e2e_saver_up
sleep 1
t0=$(e2e_now_ms)
timeout 20 wine "$FIZZLET_SCR" /s >/dev/null 2>&1 </dev/null
rc=$?
ms=$(($(e2e_now_ms) - t0))
[ "$rc" -ne 124 ] || e2e_fail "the second /s did not end"
e2e_note "second /s ended after $ms ms (wine start-up included), exit code $rc"
sleep 1
count=$(e2e_window_count "$E2E_SAVER_CAPTION")
[ "$count" -eq 1 ] || e2e_fail "$count saver windows after the second start"

e2e_stop_saver
e2e_pass
