#!/usr/bin/env bash
# Music through FluidSynth, written to a file instead of a sound device: a few
# seconds of the saver give seconds of non-silent audio.  Without a SoundFont,
# with a corrupt one, without the pieces or with broken ones, the saver runs
# silently, says why in one line (and nothing else), and still ends on a key
# with status 0.
set -u
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"
x11_setup 640x480x24

soundfont=""
for candidate in /usr/share/sounds/sf2/default-GM.sf2 /usr/share/sounds/sf2/TimGM6mb.sf2 \
  /usr/share/sounds/sf2/FluidR3_GM.sf2; do
  [ -r "$candidate" ] && { soundfont="$candidate"; break; }
done
[ -n "$soundfont" ] || fail "no General MIDI SoundFont installed (tools/install-deps.sh)"

audio="$WORK_DIR/music.wav"
FIZZLET_AUDIO_FILE="$audio" x11_start -music -soundfont "$soundfont" -count 10 -pop-chance 1
sleep 4
x11_end_with_key
[ ! -s "$WORK_DIR/saver.err" ] || fail "the saver complained: $(cat "$WORK_DIR/saver.err")"
[ -s "$audio" ] || fail "no audio written"
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
log "music: $seconds s written, loudness (RMS) $rms"
greater "$seconds" 2 || fail "only $seconds s of audio in about 4 s of running"
greater "$rms" 20 || fail "the audio is silent (RMS $rms)"

# Silent runs: each says why, once, and runs on until a key.
check_silent() {
  local what="$1" expected="$2"
  sleep 1.5
  native_running || fail "$what: the saver ended by itself"
  x11_end_with_key
  [ "$(grep -c "playing no music" "$WORK_DIR/saver.err")" -eq 1 ] &&
    [ "$(grep -c . "$WORK_DIR/saver.err")" -eq 1 ] ||
    fail "$what: not exactly one message: $(cat "$WORK_DIR/saver.err")"
  grep -q "$expected" "$WORK_DIR/saver.err" || fail "$what: unclear message: $(cat "$WORK_DIR/saver.err")"
  log "$what: $(cat "$WORK_DIR/saver.err")"
}

FIZZLET_AUDIO_FILE="$WORK_DIR/none.wav" x11_start -music -soundfont "$WORK_DIR/missing.sf2" -pop-chance 1
check_silent "missing SoundFont" "missing.sf2"

# A valid header and a corrupt body: the libraries under FluidSynth say nothing.
head -c 4096 "$soundfont" >"$WORK_DIR/corrupt.sf2"
FIZZLET_AUDIO_FILE="$WORK_DIR/none.wav" x11_start -music -soundfont "$WORK_DIR/corrupt.sf2" -pop-chance 1
check_silent "corrupt SoundFont" "cannot load the SoundFont $WORK_DIR/corrupt.sf2"

# A copy of the program with no pieces beside it or in an installed tree.
mkdir -p "$WORK_DIR/bare/bin"
cp "$FIZZLET" "$WORK_DIR/bare/bin/fizzlet"
FIZZLET="$WORK_DIR/bare/bin/fizzlet" FIZZLET_AUDIO_FILE="$WORK_DIR/none.wav" \
  x11_start -music -soundfont "$soundfont" -pop-chance 1
check_silent "missing pieces" "none of the pieces (FZLMUS1.MID to FZLMUS0.MID)"

# Pieces that do not parse (cut to 30 bytes): each fails once, then the music gives up.
for piece in "$(dirname "$FIZZLET")"/FZLMUS?.MID; do
  head -c 30 "$piece" >"$WORK_DIR/bare/bin/$(basename "$piece")"
done
FIZZLET="$WORK_DIR/bare/bin/fizzlet" FIZZLET_AUDIO_FILE="$WORK_DIR/none.wav" \
  x11_start -music -soundfont "$soundfont" -pop-chance 1
wait_line "$WORK_DIR/saver.err" "gave up" 60 >/dev/null || fail "broken pieces: the music never gave up"
check_silent "broken pieces" "none of the pieces in .* could be played; gave up"
pass
