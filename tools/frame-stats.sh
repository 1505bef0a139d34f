#!/usr/bin/env bash
# Reads a saver's frame log (FIZZLET_FRAME_LOG: one "f <ms>" line per frame
# start, among others) on standard input and prints the count, mean, median,
# 99th percentile, minimum and maximum of the periods between frame starts.
awk '$1 == "f" {print $2}' | awk '
  NR > 1 {d = $1 - p; if (d < 0) d += 4294967296; print d} {p = $1}' | sort -n | awk '
  {a[NR] = $1; s += $1}
  END {
    if (NR == 0) {print "no frames logged"; exit}
    printf "frames: %d, period mean %.2f ms, median %d ms, p99 %d ms, min %d ms, max %d ms\n",
      NR, s / NR, a[int((NR + 1) / 2)], a[int(NR * 0.99 + 0.5)], a[1], a[NR]
  }'
