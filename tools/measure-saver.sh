#!/usr/bin/env bash
# Prints figures of the running saver under Wine (it never asserts):
#   CPU time of the saver process as a share of one core, with the X server's
#   and wineserver's share; mean and percentiles of the frame period; the
#   time from the start of the process to the first presented frame; the GDI
#   objects the program holds (its own count: Wine's GetGuiResources gives
#   0), its handle count and its private memory, at the start and at the end.
#
#   tools/measure-saver.sh [--long] [--seconds N] [--size WxH] [--kernels N]
#                          [--pop N] [--audio 0|1]
#
# Defaults: 100 kernels, pop chance 50, music off, 1920x1080, 20 seconds.
# --long also samples memory and objects after ten minutes (tools/soak.sh
# samples for an hour).  FIZZLET_SCR names the saver to measure (default:
# build/windows, built here).
#
# The figures from inside come from the saver's own log: FIZZLET_FRAME_LOG
# names a file to which it appends each frame's start time and, now and
# then, its resource use (a measuring aid only).
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

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

# shellcheck source=tests/wine/lib.sh
. tests/wine/lib.sh
e2e_figures_setup "$size"
# The prefix is booted and its server runs: a warm start.
e2e_logged_saver_up "$kernels" "$pop" "$audio"
log="$E2E_FRAME_LOG" pid="$E2E_SAVER_UNIX_PID" launched_ms="$E2E_LAUNCHED_MS"
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
objects() {  # the last resource sample of the log
  awk '$1 == "r" {g = $4; h = $5; b = $6}
    END {printf "GDI objects %s, handles %s, private bytes %s (as the program sees them)", g, h, b}' "$log"
}

sleep 3  # set-up and the first frames
start_ms=$(e2e_now_ms)
s0=$(ticks "$pid"); x0=$(ticks "$E2E_XVFB_PID"); w0=$(ticks "${server:-$$}")
mem_start=$(memory); obj_start=$(objects)
first_line=$(wc -l < "$log")
sleep "$seconds"
s1=$(ticks "$pid"); x1=$(ticks "$E2E_XVFB_PID"); w1=$(ticks "${server:-$$}")
elapsed_ms=$(($(e2e_now_ms) - start_ms))
last_line=$(wc -l < "$log")

share() { awk -v t="$1" -v hz="$hz" -v ms="$elapsed_ms" 'BEGIN {printf "%.2f %%", 100 * t / hz / (ms / 1000)}'; }
echo "Fizzlet saver under Wine: $kernels kernels, pop chance $pop, music $audio, ${size}, ${seconds} s"
echo "CPU of the saver process:   $(share $((s1 - s0))) of one core"
echo "CPU of the X server:        $(share $((x1 - x0)))"
echo "CPU of wineserver:          $(share $((w1 - w0)))"
echo "CPU of all three:           $(share $((s1 - s0 + x1 - x0 + w1 - w0)))"
sed -n "$((first_line + 1)),${last_line}p" "$log" | tools/frame-stats.sh
awk -v launched="$launched_ms" '
  $1 == "e" && !done {steps[++n] = $2; $1 = $2 = ""; names[n] = substr($0, 3)}
  $1 == "first" && !done {
    done = 1
    created = $4 - $2
    printf "start-up (ms since the process was created):"
    for (i = 1; i <= n; i++) printf " %s %d,", names[i], steps[i] - created
    printf " first frame presented %d; wine was started %d ms before that\n", $2, $3 - launched
  }' "$log"
echo "at start:  $mem_start; $obj_start"
echo "after ${seconds} s: $(memory); $(objects)"
if [ "$long" = 1 ]; then
  rest=$((600 - seconds - 3))
  [ "$rest" -gt 0 ] && sleep "$rest"
  echo "after 10 min: $(memory); $(objects)"
fi

ms=$(e2e_saver_end_with_key space) && echo "a key ended the saver after $ms ms"
e2e_reap_saver
