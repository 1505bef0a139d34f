#!/usr/bin/env bash
# Prints figures of the running saver under Wine (it never asserts):
#   CPU time of the saver process as a share of one core, with the X server's
#   and wineserver's share for context; mean and percentiles of the frame
#   period; GDI and USER object counts as the program sees them
#   (GetGuiResources) and its private memory, at the start and at the end.
#
#   tools/measure-saver.sh [--long] [--seconds N] [--size WxH] [--kernels N]
#                          [--pop N] [--audio 0|1]
#
# Defaults: 100 kernels, pop chance 50, music off, 1920x1080, 20 seconds.
# --long also samples memory and objects after ten minutes.
# FIZZLET_SCR names the saver to measure (default: build/windows, built here).
#
# The frame times come from the saver's own log: FIZZLET_FRAME_LOG names a
# file to which it appends each frame's start time (a measuring aid only).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=20 size=1920x1080 kernels=100 pop=50 audio=0 long=0
while [ $# -gt 0 ]; do
  case "$1" in
    --long) long=1 ;;
    --seconds) seconds="$2"; shift ;;
    --size) size="$2"; shift ;;
    --kernels) kernels="$2"; shift ;;
    --pop) pop="$2"; shift ;;
    --audio) audio="$2"; shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
  shift
done

if [ -z "${FIZZLET_SCR:-}" ]; then
  cmake --preset windows >/dev/null
  cmake --build --preset windows --target fizzlet_scr >/dev/null
  FIZZLET_SCR="$PWD/build/windows/bin/fizzlet.scr"
fi

work=$(mktemp -d /tmp/fizzlet-measure.XXXXXX)
export WINEDEBUG=-all WINEPREFIX="$work/prefix"
n=220
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
setsid Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 </dev/null &
xvfb=$!
export DISPLAY=":$n"
saver=""
cleanup() {
  [ -n "$saver" ] && kill "$saver" 2>/dev/null
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
setsid wineserver -p >/dev/null 2>&1 </dev/null || true
setsid wine cmd /c exit >/dev/null 2>&1 </dev/null || true
# No window manager: let Wine manage no windows (see tests/e2e/saver_lib.sh).
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
key='HKCU\Software\Tarvo Fizzlet Screen Saver\Config'
wine reg add "$key" /v total_fizzlet /d "$kernels" /f >/dev/null 2>&1
wine reg add "$key" /v pop_chance /d "$pop" /f >/dev/null 2>&1
wine reg add "$key" /v audio_on /d "$audio" /f >/dev/null 2>&1

log="$work/frames.log"
FIZZLET_FRAME_LOG="$(winepath -w "$log" 2>/dev/null)" wine "$FIZZLET_SCR" /s >/dev/null 2>&1 </dev/null &
saver=$!

# The Windows process itself (the wine launcher only waits for it).
pid=""
for _ in $(seq 200); do
  for p in $(pgrep -x "$(basename "$FIZZLET_SCR" | cut -c1-15)" 2>/dev/null); do
    if tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then pid=$p; fi
  done
  [ -n "$pid" ] && xdotool search --name "^screen saver running$" >/dev/null 2>&1 && break
  sleep 0.1
done
[ -n "$pid" ] || { echo "the saver did not start"; exit 1; }
server=""
for p in $(pgrep -f wineserver); do
  tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && server=$p
done

ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
hz=$(getconf CLK_TCK)
memory() {  # private (dirty) and resident memory of the saver, kB
  awk '/^Private_Dirty:/ {p = $2} /^Rss:/ {r = $2} END {printf "private %d kB, resident %d kB", p, r}' \
    "/proc/$pid/smaps_rollup"
}
objects() {  # the last GetGuiResources sample of the log (Wine's is a stub that gives 0)
  awk '$1 == "r" {g = $4; u = $5; b = $6}
    END {
      if (g == 0 && u == 0) print "GDI/USER objects: GetGuiResources gives 0 here (not implemented by Wine)"
      else printf "GDI objects %s, USER objects %s, private bytes %s (as the program sees them)\n", g, u, b
    }' "$log"
}

sleep 3  # set-up and the first frames
start_ms=$(date +%s%3N)
s0=$(ticks "$pid"); x0=$(ticks "$xvfb"); w0=$(ticks "${server:-$$}")
mem_start=$(memory); obj_start=$(objects)
first_line=$(wc -l < "$log")
sleep "$seconds"
s1=$(ticks "$pid"); x1=$(ticks "$xvfb"); w1=$(ticks "${server:-$$}")
elapsed_ms=$(($(date +%s%3N) - start_ms))
last_line=$(wc -l < "$log")

share() { awk -v t="$1" -v hz="$hz" -v ms="$elapsed_ms" 'BEGIN {printf "%.2f %%", 100 * t / hz / (ms / 1000)}'; }
echo "Fizzlet saver under Wine: $kernels kernels, pop chance $pop, music $audio, ${size}, ${seconds} s"
echo "CPU of the saver process:   $(share $((s1 - s0))) of one core"
echo "CPU of Xvfb (X server):     $(share $((x1 - x0)))"
echo "CPU of wineserver:          $(share $((w1 - w0)))"
sed -n "$((first_line + 1)),${last_line}p" "$log" | tools/frame-stats.sh
echo "at start:  $mem_start; $obj_start"
echo "after ${seconds} s: $(memory); $(objects)"
if [ "$long" = 1 ]; then
  rest=$((600 - seconds - 3))
  [ "$rest" -gt 0 ] && sleep "$rest"
  echo "after 10 min: $(memory); $(objects)"
fi

win=$(xdotool search --name "^screen saver running$" | head -n 1)
xdotool windowfocus "$win" 2>/dev/null; sleep 0.2
t0=$(date +%s%3N)
xdotool key space
while xdotool search --name "^screen saver running$" >/dev/null 2>&1; do sleep 0.02; done
echo "a key ended the saver after $(($(date +%s%3N) - t0)) ms"
wait "$saver" 2>/dev/null || true
saver=""
