#!/usr/bin/env bash
# Prints figures of the native saver (it never asserts), on X11 and then on
# Wayland, side by side:
#   the time from starting the program to its first frame on the screen;
#   CPU time of the saver as a share of one core, with the X server's or the
#   compositor's;
#   mean and percentiles of the frame period; resident memory at the start,
#   after the measured seconds and, with --long, after ten minutes;
#   the frame computation's own share of a core (fizzlet-bench's fastest
#   32-bit frame of that size, run here first, times the frames shown a
#   second), the same for the frame cold (after other work, as the saver
#   meets it; 1080p only), and the saver's CPU as a multiple of each;
#   at 1080p, a frame as each host composes it, warm and cold (fizzlet-bench
#   BM_FrameShown).
#
#   tools/measure-native.sh [--long] [--seconds N] [--size WxH] [--kernels N]
#                           [--pop N] [--music]
#
# Defaults: 100 kernels, pop chance 50, music off, 1920x1080, 20 seconds, on
# a private Xvfb, then on a headless sway with one output of that size
# (software rendering; as root only, since sway runs as a user made for it:
# see start_sway in tools/lib.sh).  --music plays the music into a file (there is no sound
# device here), so the synthesizer's share is included.
# FIZZLET names the program to measure (default: build/linux, built here);
# FIZZLET_BENCH its frame benchmark (default: the fizzlet-bench beside it,
# else build/linux's, built here).
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
bench="${FIZZLET_BENCH:-$(dirname "$FIZZLET")/fizzlet-bench}"
if [ ! -x "$bench" ]; then
  build_preset linux --target fizzlet-bench >/dev/null
  bench="$PWD/build/linux/bin/fizzlet-bench"
fi
frame_us=$(frame_computation_us "$bench" "${size%x*}" "${size#*x}")
cold_us=$(frame_computation_us "$bench" "${size%x*}" "${size#*x}" BM_FrameCold)
x11_setup "${size}x24"
music_args=(-no-music)
[ "$music" = 1 ] && music_args=(-music)
resident() { awk '/^VmRSS:/ {print $2 " kB"}' "/proc/$SAVER_PID/status"; }

# measure TITLE SERVER_PID SERVER_NAME START_COMMAND...: starts the saver with
# its frame log, waits for its first frame, measures it and the display
# server for the seconds asked, prints the figures and ends it with a key.
measure() {
  local title="$1" server="$2" server_name="$3"
  shift 3
  local log="$WORK_DIR/home/frames-$title.log"
  mkdir -p "$WORK_DIR/home" && chmod 777 "$WORK_DIR/home"
  local started_ms presented_ms
  started_ms=$(now_ms)
  FIZZLET_FRAME_LOG="$log" FIZZLET_AUDIO_FILE="$WORK_DIR/home/music.wav" "$@" \
    --fullscreen -count "$kernels" -pop-chance "$pop" "${music_args[@]}"
  presented_ms=$(frame_presented_ms "$log") || fail "the saver presented no frame on $title"
  sleep 2  # the first frames, and the music's start in the background
  local start_ms s0 x0 rss_start first_line
  start_ms=$(now_ms)
  s0=$(cpu_ticks "$SAVER_PID"); x0=$(cpu_ticks "$server")
  rss_start=$(resident)
  first_line=$(wc -l <"$log")
  sleep "$seconds"
  local s1 x1 elapsed_ms last_line
  s1=$(cpu_ticks "$SAVER_PID"); x1=$(cpu_ticks "$server")
  elapsed_ms=$(($(now_ms) - start_ms))
  last_line=$(wc -l <"$log")

  echo "Native fizzlet on $title: $kernels kernels, pop chance $pop, music $music, ${size}, ${seconds} s"
  echo "start to first frame shown: $((presented_ms - started_ms)) ms"
  echo "CPU of the saver process:   $(cpu_share $((s1 - s0)) "$elapsed_ms") of one core"
  printf '%-28s%s\n' "CPU of $server_name:" "$(cpu_share $((x1 - x0)) "$elapsed_ms")"
  computation_share "$frame_us" "$cold_us" "$(frames_logged "$log" $((first_line + 1)) "$last_line")" \
    "$elapsed_ms" $((s1 - s0))
  frame_periods "$log" $((first_line + 1)) "$last_line"
  echo "resident memory at start: $rss_start, after ${seconds} s: $(resident)"
  if [ "$long" = 1 ]; then
    local rest=$((600 - seconds - 2))
    [ "$rest" -gt 0 ] && sleep "$rest"
    echo "resident memory after 10 min: $(resident)"
  fi
  if [ -s "$WORK_DIR/saver.err" ]; then echo "the saver said: $(cat "$WORK_DIR/saver.err")"; fi
  local ms
  ms=$(end_with_key q 5000) && echo "a key ended the saver after $ms ms"
  reap_saver || true
}

measure X11 "$X_SERVER_PID" "Xvfb (X server)" x11_start --x11
if [ "$(id -u)" -eq 0 ] && command -v sway >/dev/null; then
  echo
  start_sway "$size"
  measure Wayland "$SWAY_PID" "sway (compositor)" wayland_start --wayland
else
  echo "(no Wayland figures: they need root and sway)"
fi

# A frame as each host composes it, at 1920x1080 only: the X11 host's one
# image, and the Wayland host's two buffers under a compositor that holds
# the one it shows until the next (as sway does when it renders in
# software: each frame then goes into memory written two frames before)
# and under one that copies it at once.
if [ "$size" = 1920x1080 ]; then
  echo
  echo "A frame as each host composes it (fizzlet-bench BM_FrameShown, fastest of 5):"
  "$bench" --benchmark_filter='^BM_FrameShown/' --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
    awk -F, '$1 ~ /_min"$/ {
        match($1, /cold:[01]\/shown:[0-2]/)
        split(substr($1, RSTART, RLENGTH), part, /[:\/]/)
        us[part[2], part[4]] = $4
      }
      END {
        split("one image (X11)|two buffers, the shown one held|two buffers, copied at once", way, "|")
        printf "  %-32s %9s %9s\n", "", "warm", "cold"
        for (s = 0; s < 3; ++s) printf "  %-32s %6.1f us %6.1f us\n", way[s + 1], us[0, s], us[1, s]
      }'
fi
