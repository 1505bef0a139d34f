#!/usr/bin/env bash
# Music through FluidSynth, written to a file instead of a sound device: a few
# seconds of the saver give seconds of non-silent audio.  Without a SoundFont,
# or without the pieces, the saver runs silently, says why once, and still
# ends on a key with status 0.
set -u
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"
x11_setup 640x480x24

soundfont=""
for candidate in /usr/share/sounds/sf2/default-GM.sf2 /usr/share/sounds/sf2/TimGM6mb.sf2 \
  /usr/share/sounds/sf2/FluidR3_GM.sf2; do
  [ -r "$candidate" ] && { soundfont="$candidate"; break; }
done
[ -n "$soundfont" ] || x11_fail "no General MIDI SoundFont installed (tools/install-deps.sh)"

audio="$X11_DIR/music.wav"
FIZZLET_AUDIO_FILE="$audio" x11_start -music -soundfont "$soundfont" -count 10 -pop-chance 1
sleep 4
x11_end_with_key
[ ! -s "$X11_DIR/saver.err" ] || x11_fail "the saver complained: $(cat "$X11_DIR/saver.err")"
[ -s "$audio" ] || x11_fail "no audio written"
# Seconds of audio and their loudness (root mean square of the samples).
read -r seconds rms < <(python3 - "$audio" <<'EOF'
import array, math, sys, wave
with wave.open(sys.argv[1]) as w:
    samples = array.array("h", w.readframes(w.getnframes()))
    seconds = w.getnframes() / w.getframerate()
rms = math.sqrt(sum(s * s for s in samples) / max(1, len(samples)))
print(f"{seconds:.2f} {rms:.1f}")
EOF
)
x11_log "music: $seconds s written, loudness (RMS) $rms"
x11_greater "$seconds" 2 || x11_fail "only $seconds s of audio in about 4 s of running"
x11_greater "$rms" 20 || x11_fail "the audio is silent (RMS $rms)"

# Silent runs: each says why, once, and runs on until a key.
check_silent() {
  local what="$1" expected="$2"
  sleep 1.5
  x11_running || x11_fail "$what: the saver ended by itself"
  x11_end_with_key
  [ "$(grep -c "playing no music" "$X11_DIR/saver.err")" -eq 1 ] ||
    x11_fail "$what: not exactly one message: $(cat "$X11_DIR/saver.err")"
  grep -q "$expected" "$X11_DIR/saver.err" || x11_fail "$what: unclear message: $(cat "$X11_DIR/saver.err")"
  x11_log "$what: $(cat "$X11_DIR/saver.err")"
}

FIZZLET_AUDIO_FILE="$X11_DIR/none.wav" x11_start -music -soundfont "$X11_DIR/missing.sf2" -pop-chance 1
check_silent "missing SoundFont" "missing.sf2"

# A copy of the program with no pieces beside it or in an installed tree.
mkdir -p "$X11_DIR/bare/bin"
cp "$FIZZLET" "$X11_DIR/bare/bin/fizzlet"
FIZZLET="$X11_DIR/bare/bin/fizzlet" FIZZLET_AUDIO_FILE="$X11_DIR/none.wav" \
  x11_start -music -soundfont "$soundfont" -pop-chance 1
check_silent "missing pieces" "none of the pieces (FZLMUS1.MID to FZLMUS0.MID)"
x11_pass
