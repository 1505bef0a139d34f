#!/usr/bin/env bash
# Renders the ten pieces to WAV with a General MIDI soft synth and prints
# each one's length and loudness, to hear them or check that none is silent.
# Needs fluidsynth, a GM sound font (fluid-soundfont-gm) and sox:
#   apt-get install fluidsynth fluid-soundfont-gm sox
#   tools/music/render.sh [output-folder]
set -euo pipefail
cd "$(dirname "$0")/../.."
font=/usr/share/sounds/sf2/FluidR3_GM.sf2
for tool in fluidsynth sox; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done
[ -f "$font" ] || { echo "no sound font at $font" >&2; exit 1; }
out="${1:-$(mktemp -d /tmp/fizzlet-music.XXXXXX)}"
mkdir -p "$out"
for piece in resources/music/FZLMUS*.MID; do
  wav="$out/$(basename "$piece" .MID).wav"
  fluidsynth -ni -F "$wav" -r 44100 "$font" "$piece" >/dev/null 2>&1
  stats=$(sox "$wav" -n stat 2>&1)
  printf '%s  length %6.1f s  RMS %.4f  peak %.3f\n' "$(basename "$piece")" \
    "$(awk '/^Length/ {print $3}' <<<"$stats")" \
    "$(awk '/^RMS +amplitude/ {print $3}' <<<"$stats")" \
    "$(awk '/^Maximum amplitude/ {print $3}' <<<"$stats")"
done
echo "WAV files in $out"
