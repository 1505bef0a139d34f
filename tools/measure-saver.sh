#!/usr/bin/env bash
# Prints figures of the running saver under Wine (it never asserts):
#   CPU time of the saver process as a share of one core, with the X server's
#   and wineserver's share; mean and percentiles of the frame period; the
#   time from the start of the process to the first presented frame; the GDI
#   objects the program holds (its own count: Wine's GetGuiResources gives
#   0), its handle count and its private memory, at the start and at the end.
#
#   tools/measure-saver.sh [--long] [--seconds N] [--size WxH] [--kernels N]
#                          [--pop N] [--music]
#
# Defaults: 100 kernels, pop chance 50, music off, 1920x1080, 20 seconds.
# --long also samples memory and objects after ten minutes (tools/soak.sh
# samples for an hour).  FIZZLET_SCR names the saver to measure (default:
# build/windows, built here).
#
# The figures from inside come from the saver's own log: FIZZLET_FRAME_LOG
# names a file to which it appends each frame's start time and, now and
# then, its resource use (a measuring aid only).
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/lib.sh
. tools/lib.sh

seconds=20 size=1920x1080 kernels=100 pop=50 music=0 long=0
figure_options "$@"
wine_figures_setup "$size"
# The prefix is booted and its server runs: a warm start.
wine_logged_saver_up "$kernels" "$pop" "$music"
log="$FRAME_LOG" pid="$SAVER_UNIX_PID"
server=""
for p in $(pgrep -f wineserver); do
  if in_this_prefix "$p"; then server=$p; fi
done

memory() {  # private (dirty) and resident memory of the saver, kB
  awk '/^Private_Dirty:/ {p = $2} /^Rss:/ {r = $2} END {printf "private %d kB, resident %d kB", p, r}' \
    "/proc/$pid/smaps_rollup"
}
objects() {  # the last resource sample of the log
  local gdi handles bytes
  read -r gdi handles bytes < <(frame_resources "$log")
  echo "GDI objects $gdi, handles $handles, private bytes $bytes (as the program sees them)"
}

sleep 3  # set-up and the first frames
start_ms=$(now_ms)
s0=$(cpu_ticks "$pid"); x0=$(cpu_ticks "$X_SERVER_PID"); w0=$(cpu_ticks "${server:-$$}")
mem_start=$(memory); obj_start=$(objects)
first_line=$(wc -l < "$log")
sleep "$seconds"
s1=$(cpu_ticks "$pid"); x1=$(cpu_ticks "$X_SERVER_PID"); w1=$(cpu_ticks "${server:-$$}")
elapsed_ms=$(($(now_ms) - start_ms))
last_line=$(wc -l < "$log")

echo "Fizzlet saver under Wine: $kernels kernels, pop chance $pop, music $music, ${size}, ${seconds} s"
echo "CPU of the saver process:   $(cpu_share $((s1 - s0)) "$elapsed_ms") of one core"
echo "CPU of the X server:        $(cpu_share $((x1 - x0)) "$elapsed_ms")"
echo "CPU of wineserver:          $(cpu_share $((w1 - w0)) "$elapsed_ms")"
echo "CPU of all three:           $(cpu_share $((s1 - s0 + x1 - x0 + w1 - w0)) "$elapsed_ms")"
frame_periods "$log" $((first_line + 1)) "$last_line"
frame_startup "$log" "$LAUNCHED_MS"
echo "at start:  $mem_start; $obj_start"
echo "after ${seconds} s: $(memory); $(objects)"
if [ "$long" = 1 ]; then
  rest=$((600 - seconds - 3))
  [ "$rest" -gt 0 ] && sleep "$rest"
  echo "after 10 min: $(memory); $(objects)"
fi

ms=$(end_with_key space) && echo "a key ended the saver after $ms ms"
reap_saver || true
