#!/usr/bin/env bash
# A soak of the saver under Wine (run by hand, not in CI): it runs for an
# hour at 1920 x 1080 with 100 kernels and pop chance 50, and every minute
# prints its private memory (as Linux counts it and as the program sees
# it), its handle count (GetProcessHandleCount) and the GDI objects it holds
# (counted by its own owning wrappers; Wine's GetGuiResources gives 0).
# At the end it prints the first and last sample and how much each grew.
#
#   tools/soak.sh [--minutes N] [--size WxH]
#
# FIZZLET_SCR names the saver to soak (default: build/windows, built here).
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

minutes=60 size=1920x1080
while [ $# -gt 0 ]; do
  case "$1" in
    --minutes) minutes="$2"; shift ;;
    --size) size="$2"; shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
  shift
done

# shellcheck source=tests/wine/lib.sh
. tests/wine/lib.sh
e2e_figures_setup "$size"
e2e_logged_saver_up 100 50 0
log="$E2E_FRAME_LOG" pid="$E2E_SAVER_UNIX_PID"

# One line of figures: minute, Linux private memory, and the program's own
# last resource sample (it takes one every 1000 frames, about 30 s).
sample() {
  local private
  private=$(awk '/^Private_Dirty:/ {print $2}' "/proc/$pid/smaps_rollup" 2>/dev/null)
  awk -v minute="$1" -v private="${private:-0}" '$1 == "r" {g = $4; h = $5; b = $6}
    END {printf "%3d min  private %7d kB  program private %7d kB  handles %4d  GDI objects %3d\n",
         minute, private, b / 1024, h, g}' "$log"
}

echo "Soak: fizzlet.scr under Wine, ${size}, 100 kernels, pop chance 50, ${minutes} min"
sleep 40  # the first resource sample (frame 1000)
first=$(sample 0)
echo "$first"
last="$first"
for minute in $(seq "$minutes"); do
  sleep 60
  [ -n "$(e2e_windows "$E2E_SAVER_CAPTION")" ] || e2e_fail "the saver ended after $minute min"
  last=$(sample "$minute")
  echo "$last"
done
echo "$first" "$last" | awk '{
  printf "growth over the soak: private %+d kB, program private %+d kB, handles %+d, GDI objects %+d\n",
    $18 - $4, $22 - $8, $25 - $11, $28 - $14 }'
e2e_stop_saver
