#!/usr/bin/env bash
# A stress of the music thread (run by hand, not in CI: about six seconds a
# run).  The native saver plays broken pieces (each cut to its first 30
# bytes) into a file, on the root window of a private Xvfb, and is ended with
# SIGTERM after a few seconds, again and again.  Meant for the linux-asan
# build: a sanitizer report counts as a crash.  Prints one line every 25 runs
# and at the end: runs, crashes (a sanitizer report or an end by a signal),
# other exit statuses, runs whose music gave up, and the mean and longest
# time from SIGTERM to the end.
#
#   tools/music-stress.sh [--runs N] [--seconds S] [--whole]
#
# --whole plays the real pieces instead (a piece is playing when the saver
# ends).  FIZZLET names the program (default: build/linux-asan, built here).
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/lib.sh
. tools/lib.sh

runs=300 seconds=5 whole=0
figure_options "$@"
if [ -z "${FIZZLET:-}" ]; then
  build_preset linux-asan --target fizzlet >/dev/null
  export FIZZLET="$PWD/build/linux-asan/bin/fizzlet"
fi
x11_setup 640x480x24

# A copy of the program with the pieces beside it, where it looks first.
mkdir -p "$WORK_DIR/bin"
cp "$FIZZLET" "$WORK_DIR/bin/fizzlet"
for piece in resources/music/FZLMUS?.MID; do
  if [ "$whole" = 1 ]; then
    cp "$piece" "$WORK_DIR/bin/"
  else
    head -c 30 "$piece" >"$WORK_DIR/bin/$(basename "$piece")"
  fi
done
FIZZLET="$WORK_DIR/bin/fizzlet"

crashes=0 other=0 gave_up=0 total_ms=0 longest_ms=0
report() {
  printf '%4d runs  %d crashes  %d other statuses  %d gave up  SIGTERM to end: mean %d ms, longest %d ms\n' \
    "$1" "$crashes" "$other" "$gave_up" $((total_ms / $1)) "$longest_ms"
}
for run in $(seq "$runs"); do
  FIZZLET_AUDIO_FILE="$WORK_DIR/music.wav" x11_start -root -music -count 10
  sleep "$seconds"
  sent=$(date +%s%N)
  kill -TERM "$SAVER_PID" 2>/dev/null || true
  if ! native_wait_exit 30; then
    kill -KILL "$SAVER_PID" 2>/dev/null || true
    native_wait_exit 5 || fail "the saver did not end after SIGKILL"
  fi
  ms=$((($(date +%s%N) - sent) / 1000000))
  total_ms=$((total_ms + ms))
  if [ "$ms" -gt "$longest_ms" ]; then longest_ms=$ms; fi
  if grep -q "gave up" "$WORK_DIR/saver.err"; then gave_up=$((gave_up + 1)); fi
  if grep -q "Sanitizer\|runtime error" "$WORK_DIR/saver.err" || [ "$SAVER_STATUS" -gt 128 ]; then
    crashes=$((crashes + 1))
    if [ "$crashes" = 1 ]; then
      echo "run $run, status $SAVER_STATUS:"
      head -n 40 "$WORK_DIR/saver.err"
    fi
  elif [ "$SAVER_STATUS" -ne 0 ]; then
    other=$((other + 1))
  fi
  if [ $((run % 25)) = 0 ]; then report "$run"; fi
done
if [ $((runs % 25)) != 0 ]; then report "$runs"; fi
