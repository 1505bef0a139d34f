#!/usr/bin/env bash
# Prints figures of the native X11 saver (it never asserts):
#   the time from starting the program to its first frame on the screen;
#   CPU time of the saver as a share of one core, with the X server's;
#   mean and percentiles of the frame period; resident memory at the start,
#   after the measured seconds and, with --long, after ten minutes.
#
#   tools/measure-native.sh [--long] [--seconds N] [--size WxH] [--kernels N]
#                           [--pop N] [--music]
#
# Defaults: 100 kernels, pop chance 50, music off, 1920x1080, 20 seconds, on
# a private Xvfb.  --music plays the music into a file (there is no sound
# device here), so the synthesizer's share is included.
# FIZZLET names the program to measure (default: build/linux, built here).
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/lib.sh
. tools/lib.sh

seconds=20 size=1920x1080 kernels=100 pop=50 music=0 long=0
figure_options "$@"
if [ -z "${FIZZLET:-}" ]; then
  build_preset linux --target fizzlet >/dev/null
  export FIZZLET="$PWD/build/linux/bin/fizzlet"
fi
x11_setup "${size}x24"

log="$WORK_DIR/frames.log"
music_args=(-no-music)
[ "$music" = 1 ] && music_args=(-music)
started_ms=$(now_ms)
FIZZLET_FRAME_LOG="$log" FIZZLET_AUDIO_FILE="$WORK_DIR/music.wav" \
  x11_start --fullscreen -count "$kernels" -pop-chance "$pop" "${music_args[@]}"
presented_ms=$(frame_presented_ms "$log") || fail "the saver presented no frame"
resident() { awk '/^VmRSS:/ {print $2 " kB"}' "/proc/$SAVER_PID/status"; }

sleep 2  # the first frames, and the music's start in the background
start_ms=$(now_ms)
s0=$(cpu_ticks "$SAVER_PID"); x0=$(cpu_ticks "$X_SERVER_PID")
rss_start=$(resident)
first_line=$(wc -l <"$log")
sleep "$seconds"
s1=$(cpu_ticks "$SAVER_PID"); x1=$(cpu_ticks "$X_SERVER_PID")
elapsed_ms=$(($(now_ms) - start_ms))
last_line=$(wc -l <"$log")

echo "Native fizzlet: $kernels kernels, pop chance $pop, music $music, ${size}, ${seconds} s"
echo "start to first frame shown: $((presented_ms - started_ms)) ms"
echo "CPU of the saver process:   $(cpu_share $((s1 - s0)) "$elapsed_ms") of one core"
echo "CPU of Xvfb (X server):     $(cpu_share $((x1 - x0)) "$elapsed_ms")"
frame_periods "$log" $((first_line + 1)) "$last_line"
echo "resident memory at start: $rss_start, after ${seconds} s: $(resident)"
if [ "$long" = 1 ]; then
  rest=$((600 - seconds - 2))
  [ "$rest" -gt 0 ] && sleep "$rest"
  echo "resident memory after 10 min: $(resident)"
fi
if [ -s "$WORK_DIR/saver.err" ]; then echo "the saver said: $(cat "$WORK_DIR/saver.err")"; fi

ms=$(end_with_key q 5000) && echo "a key ended the saver after $ms ms"
