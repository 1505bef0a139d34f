#!/usr/bin/env bash
# A soak of the saver under Wine (run by hand, not in CI): it runs for an
# hour at 1920 x 1080 with 100 kernels and pop chance 50, and every minute
# prints its private memory (as Linux counts it and as the program sees
# it), its handle count (GetProcessHandleCount) and the GDI objects it holds
# (counted by its own owning wrappers; Wine's GetGuiResources gives 0).
# At the end it prints the first and last sample and how much each grew.
#
#   tools/soak.sh [--minutes N] [--size WxH] [--kernels N] [--pop N] [--music]
#
# FIZZLET_SCR names the saver to soak (default: build/windows, built here).
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/lib.sh
. tools/lib.sh

minutes=60 size=1920x1080 kernels=100 pop=50 music=0
figure_options "$@"
wine_figures_setup "$size"
wine_logged_saver_up "$kernels" "$pop" "$music"
log="$FRAME_LOG" pid="$SAVER_UNIX_PID"

# One line of figures: minute, Linux private memory, and the program's own
# last resource sample (it takes one every 1000 frames, about 30 s).
sample() {
  local private gdi handles bytes
  private=$(awk '/^Private_Dirty:/ {print $2}' "/proc/$pid/smaps_rollup" 2>/dev/null || true)
  read -r gdi handles bytes < <(frame_resources "$log")
  printf "%3d min  private %7d kB  program private %7d kB  handles %4d  GDI objects %3d\n" \
    "$1" "${private:-0}" $((bytes / 1024)) "$handles" "$gdi"
}

echo "Soak: fizzlet.scr under Wine, ${size}, $kernels kernels, pop chance $pop, music $music, ${minutes} min"
sleep 40  # the first resource sample (frame 1000)
first=$(sample 0)
echo "$first"
last="$first"
for minute in $(seq "$minutes"); do
  sleep 60
  [ -n "$(windows_named "$SAVER_CAPTION")" ] || fail "the saver ended after $minute min"
  last=$(sample "$minute")
  echo "$last"
done
echo "$first" "$last" | awk '{
  printf "growth over the soak: private %+d kB, program private %+d kB, handles %+d, GDI objects %+d\n",
    $18 - $4, $22 - $8, $25 - $11, $28 - $14 }'
wine_stop_saver || true
