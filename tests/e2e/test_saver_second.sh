#!/usr/bin/env bash
# A second /s while the saver runs ends at once and leaves one saver window.
set -u
# shellcheck source=saver_lib.sh
. "$(dirname "$0")/saver_lib.sh"
saver_session_start
set_setting audio_on 0

start_saver
sleep 1
t0=$(e2e_now_ms)
timeout 20 wine "$FIZZLET_SCR" /s >/dev/null 2>&1 </dev/null
rc=$?
ms=$(($(e2e_now_ms) - t0))
[ "$rc" -ne 124 ] || fail "the second /s did not end"
note "second /s ended after $ms ms (wine start-up included), exit code $rc"
sleep 1
count=$(saver_window_count)
[ "$count" -eq 1 ] || fail "$count saver windows after the second start"

stop_saver
echo "PASS"
