#!/usr/bin/env bash
# A second /s while the saver runs ends at once and leaves one saver window.
set -u
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"
wine_setup
wine_setting audio_on 0

wine_saver_up
sleep 1
t0=$(now_ms)
timeout 20 wine "$FIZZLET_SCR" /s >/dev/null 2>&1 </dev/null
rc=$?
ms=$(($(now_ms) - t0))
[ "$rc" -ne 124 ] || fail "the second /s did not end"
note "second /s ended after $ms ms (wine start-up included), exit code $rc"
sleep 1
count=$(window_count "$SAVER_CAPTION")
[ "$count" -eq 1 ] || fail "$count saver windows after the second start"

wine_stop_saver
pass
