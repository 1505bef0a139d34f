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

seconds=20 size=1920x1080 kernels=100 pop=50 music=0 long=0
while [ $# -gt 0 ]; do
  case "$1" in
    --long) long=1 ;;
    --seconds) seconds="$2"; shift ;;
    --size) size="$2"; shift ;;
    --kernels) kernels="$2"; shift ;;
    --pop) pop="$2"; shift ;;
    --music) music=1 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
  shift
done

if [ -z "${FIZZLET:-}" ]; then
  cmake --preset linux >/dev/null
  cmake --build --preset linux --target fizzlet >/dev/null
  FIZZLET="$PWD/build/linux/bin/fizzlet"
fi

work=$(mktemp -d /tmp/fizzlet-measure-native.XXXXXX)
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 </dev/null &
xvfb=$!
saver=""
cleanup() {
  [ -n "$saver" ] && kill "$saver" 2>/dev/null
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
DISPLAY=":$(head -n 1 "$work/display")"
export DISPLAY
export XDG_CONFIG_HOME="$work/config"

log="$work/frames.log"
music_args=(-no-music)
[ "$music" = 1 ] && music_args=(-music)
started_ms=$(date +%s%3N)
FIZZLET_FRAME_LOG="$log" FIZZLET_AUDIO_FILE="$work/music.wav" \
  "$FIZZLET" --fullscreen -count "$kernels" -pop-chance "$pop" "${music_args[@]}" \
  2>"$work/saver.err" </dev/null &
saver=$!
for _ in $(seq 100); do grep -q '^presented' "$log" 2>/dev/null && break; sleep 0.05; done
presented_ms=$(awk '$1 == "presented" {print $3}' "$log")

ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
hz=$(getconf CLK_TCK)
resident() { awk '/^VmRSS:/ {print $2 " kB"}' "/proc/$saver/status"; }

sleep 2  # the first frames, and the music's start in the background
start_ms=$(date +%s%3N)
s0=$(ticks "$saver"); x0=$(ticks "$xvfb")
rss_start=$(resident)
first_line=$(wc -l <"$log")
sleep "$seconds"
s1=$(ticks "$saver"); x1=$(ticks "$xvfb")
elapsed_ms=$(($(date +%s%3N) - start_ms))
last_line=$(wc -l <"$log")

share() { awk -v t="$1" -v hz="$hz" -v ms="$elapsed_ms" 'BEGIN {printf "%.2f %%", 100 * t / hz / (ms / 1000)}'; }
echo "Native fizzlet: $kernels kernels, pop chance $pop, music $music, ${size}, ${seconds} s"
echo "start to first frame shown: $((presented_ms - started_ms)) ms"
echo "CPU of the saver process:   $(share $((s1 - s0))) of one core"
echo "CPU of Xvfb (X server):     $(share $((x1 - x0)))"
sed -n "$((first_line + 1)),${last_line}p" "$log" | tools/frame-stats.sh
echo "resident memory at start: $rss_start, after ${seconds} s: $(resident)"
if [ "$long" = 1 ]; then
  rest=$((600 - seconds - 2))
  [ "$rest" -gt 0 ] && sleep "$rest"
  echo "resident memory after 10 min: $(resident)"
fi
[ -s "$work/saver.err" ] && echo "the saver said: $(cat "$work/saver.err")"

t0=$(date +%s%3N)
xdotool key q
wait "$saver" 2>/dev/null || true
saver=""
echo "a key ended the saver after $(($(date +%s%3N) - t0)) ms"
