#!/usr/bin/env python3
"""Writes the saver's ten background pieces as General MIDI files.

Every piece is composed here from a few simple rules: a major key, a chord
progression per eight-bar phrase, a bouncy rhythm motif per piece, a melody
that lands on chord tones on strong beats and walks by scale steps between
them, a bass on the roots and fifths and light off-beat chords.  A small
pseudo-random generator seeded per piece makes the melodies differ; the
output is the same on every run and every machine.

    python3 tools/music/make_pieces.py [output-folder]   (default resources/music)
"""

import os
import struct
import sys

TICKS_PER_QUARTER = 480
EIGHTH = TICKS_PER_QUARTER // 2

# General MIDI program numbers (0-based) used below.
PIANO, HARPSICHORD, CELESTA, GLOCKENSPIEL, MUSIC_BOX, VIBRAPHONE, MARIMBA, XYLOPHONE = (
    0, 6, 8, 9, 10, 11, 12, 13)
NYLON_GUITAR, ACOUSTIC_BASS, PIZZICATO, TUBA = 24, 32, 45, 58
OBOE, BASSOON, CLARINET, PICCOLO, FLUTE = 68, 70, 71, 72, 73
KALIMBA, STEEL_DRUMS = 108, 114

# Percussion keys on channel 10.
CLOSED_HAT, TAMBOURINE, CLAVES, HIGH_WOODBLOCK, LOW_WOODBLOCK, SHAKER = 42, 54, 75, 76, 77, 82

MAJOR_STEPS = [0, 2, 4, 5, 7, 9, 11]
# The melody keeps between these scale degrees around its tonic.
LOWEST, HIGHEST = -3, 8
# Sharps (positive) or flats (negative) of the major key on each pitch class.
KEY_SIGNATURES = {0: 0, 7: 1, 2: 2, 9: 3, 4: 4, 11: 5, 5: -1, 10: -2, 3: -3, 8: -4, 1: -5, 6: 6}

# Chord degrees (0 = I) for the phrases of the A and B sections.
A_PROGRESSIONS = [
    [0, 3, 4, 0, 5, 3, 4, 0],
    [0, 4, 5, 3, 0, 3, 4, 0],
    [0, 0, 3, 3, 4, 4, 0, 0],
    [0, 5, 3, 4, 0, 5, 1, 4],
]
B_PROGRESSIONS = [
    [3, 3, 0, 0, 1, 4, 0, 4],
    [5, 5, 3, 3, 0, 0, 4, 4],
    [3, 4, 2, 5, 1, 4, 0, 4],
]

# Bar rhythms in eighths: 8 for 2 bars of 2/4 or one of 4/4, 6 for 3/4 and 6/8.
RHYTHMS = {
    8: [[1, 1, 2, 1, 1, 2], [2, 1, 1, 2, 2], [1, 1, 1, 1, 2, 2], [3, 1, 2, 2],
        [1, 2, 1, 2, 2], [2, 2, 1, 1, 2]],
    6: [[2, 1, 2, 1], [1, 1, 1, 3], [3, 1, 1, 1], [2, 2, 2], [1, 1, 2, 2], [2, 1, 1, 2]],
}
ENDING = {8: [2, 2, 4], 6: [2, 4]}


class Lcg:
    """Small deterministic generator (numbers from Numerical Recipes)."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self):
        self.state = (1664525 * self.state + 1013904223) & 0xFFFFFFFF
        return self.state

    def below(self, n):
        return (self.next() >> 8) % n

    def pick(self, items):
        return items[self.below(len(items))]


class Piece:
    def __init__(self, name, title, tonic, bpm, meter, melody, bass, chords,
                 percussion, seed, sections):
        self.name = name
        self.title = title
        self.tonic = tonic          # MIDI note of the tonic in the melody's octave
        self.bpm = bpm              # quarter notes per minute
        self.meter = meter          # "4/4", "3/4" or "6/8"
        self.melody = melody
        self.bass = bass
        self.chords = chords
        self.percussion = percussion  # percussion key or None
        self.seed = seed
        self.sections = sections    # e.g. "AABA": A and B are eight-bar phrases


PIECES = [
    Piece("FZLMUS1.MID", "Kernel Parade", 72, 120, "4/4", MARIMBA, PIZZICATO, PIANO,
          HIGH_WOODBLOCK, 11, "AABAB A"),
    Piece("FZLMUS2.MID", "Hop Along Jig", 67, 168, "6/8", CLARINET, BASSOON, PIZZICATO,
          None, 23, "AABBAAB A"),
    Piece("FZLMUS3.MID", "Golden Waltz", 77, 150, "3/4", GLOCKENSPIEL, ACOUSTIC_BASS,
          VIBRAPHONE, None, 37, "AABA BA"),
    Piece("FZLMUS4.MID", "Tumbling Pieces", 74, 144, "4/4", XYLOPHONE, TUBA, MARIMBA,
          CLOSED_HAT, 41, "AABABBA"),
    Piece("FZLMUS5.MID", "Sunny Kitchen", 70, 112, "4/4", FLUTE, PIZZICATO, HARPSICHORD,
          SHAKER, 53, "ABAB A"),
    Piece("FZLMUS6.MID", "Skipping Kernels", 69, 132, "4/4", PIANO, ACOUSTIC_BASS, CELESTA,
          TAMBOURINE, 67, "AABA BA"),
    Piece("FZLMUS7.MID", "Little Minuet", 75, 126, "3/4", OBOE, PIZZICATO, MARIMBA,
          None, 71, "AABBA A"),
    Piece("FZLMUS8.MID", "Island Bounce", 76, 136, "4/4", STEEL_DRUMS, ACOUSTIC_BASS,
          NYLON_GUITAR, CLAVES, 83, "AABABA"),
    Piece("FZLMUS9.MID", "Music Box Tumble", 80, 156, "6/8", MUSIC_BOX, PIZZICATO, KALIMBA,
          None, 97, "AABBABA"),
    Piece("FZLMUS0.MID", "Piccolo Pop", 71, 128, "4/4", PICCOLO, TUBA, XYLOPHONE,
          LOW_WOODBLOCK, 101, "ABABBA"),
]


def var_len(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, (value & 0x7F) | 0x80)
        value >>= 7
    return bytes(out)


def track_chunk(events):
    """events: (tick, order, bytes) with absolute ticks; returns an MTrk chunk."""
    data = bytearray()
    last = 0
    for tick, _, message in sorted(events, key=lambda e: (e[0], e[1])):
        data += var_len(tick - last) + message
        last = tick
    data += var_len(0) + b"\xFF\x2F\x00"
    return b"MTrk" + struct.pack(">I", len(data)) + bytes(data)


def meta_text(kind, text):
    raw = text.encode("ascii")
    return bytes([0xFF, kind]) + var_len(len(raw)) + raw


def scale_note(tonic, degree):
    """MIDI note of a scale degree (may be negative or above 6)."""
    octave, step = divmod(degree, 7)
    return tonic + 12 * octave + MAJOR_STEPS[step]


def chord_degrees(root):
    return [root, root + 2, root + 4]


class Writer:
    def __init__(self):
        self.events = {}

    def note(self, track, channel, tick, length, key, velocity):
        events = self.events.setdefault(track, [])
        events.append((tick, 1, bytes([0x90 | channel, key, velocity])))
        events.append((tick + length, 0, bytes([0x80 | channel, key, 0])))


def nearest_chord_tone(previous, root, direction):
    """Chord-tone degree nearest to previous, preferring the given direction."""
    best = None
    for octave in range(-2, 3):
        for d in chord_degrees(root):
            candidate = d + 7 * octave
            if candidate < LOWEST or candidate > HIGHEST:
                continue
            distance = candidate - previous
            if distance == 0:
                continue
            score = abs(distance) * 2 + (0 if (distance > 0) == (direction > 0) else 1)
            if best is None or score < best[0]:
                best = (score, candidate)
    return best[1]


def compose_phrase(rng, progression, rhythms, bar_eighths, ending):
    """Melody of one eight-bar phrase: list of bars, each a list of (eighths, degree)."""
    bars = []
    degree = 0 if rng.below(2) else 2
    direction = 1
    motif = [rng.pick(rhythms) for _ in range(3)]
    # Bars 1-2 and 5-6 share the first rhythm (the phrase's motif) so the tune
    # is easy to follow; bars 4 and 8 rest on long notes.
    plan = [motif[0], motif[1], motif[0], motif[2], motif[0], motif[1], motif[2], ending]
    for bar, (root, rhythm) in enumerate(zip(progression, plan)):
        if bar == 7:
            root = progression[7]
        notes = []
        position = 0
        for length in rhythm:
            strong = position % (2 if bar_eighths == 8 else 3) == 0
            if strong:
                degree = nearest_chord_tone(degree, root, direction)
            else:
                degree += direction
            if degree >= HIGHEST - 1:
                direction = -1
            elif degree <= LOWEST + 1:
                direction = 1
            elif rng.below(4) == 0:
                direction = -direction
            notes.append((length, degree))
            position += length
        if bar == 7:
            # Close the phrase on the chord's root (the tonic when it ends on
            # I), in the octave nearest to the note before it.
            before = notes[-2][1] if len(notes) > 1 else degree
            closing = min((root + 7 * k for k in (-1, 0, 1)), key=lambda d: abs(d - before))
            notes[-1] = (notes[-1][0], closing)
            degree = closing
        bars.append(notes)
    return bars


def write_piece(piece, folder):
    rng = Lcg(piece.seed)
    bar_eighths = 6 if piece.meter in ("3/4", "6/8") else 8
    rhythms = RHYTHMS[bar_eighths]
    ending = ENDING[bar_eighths]
    phrases = {
        "A": (rng.pick(A_PROGRESSIONS), None),
        "B": (rng.pick(B_PROGRESSIONS), None),
    }
    melodies = {key: compose_phrase(rng, prog, rhythms, bar_eighths, ending)
                for key, (prog, _) in phrases.items()}
    # A second A that ends on the tonic for the last section.
    final_a = [list(bar) for bar in melodies["A"]]
    last_bar = final_a[-1]
    tonic = min((0, 7, -7), key=lambda d: abs(d - last_bar[0][1]))
    final_a[-1] = [(sum(n for n, _ in last_bar), tonic)]

    writer = Writer()
    MELODY, HARMONY, BASS, DRUMS = 1, 2, 3, 4
    tick = 0
    bar_ticks = bar_eighths * EIGHTH
    sections = [s for s in piece.sections if s != " "]

    # Two bars of introduction: bass and chords alone.
    intro_progression = [0, 4]
    plan = [("intro", intro_progression)] + [
        (s, phrases[s][0]) for s in sections] + [("outro", [0])]
    for index, (kind, progression) in enumerate(plan):
        last_section = index == len(plan) - 2
        for bar, root in enumerate(progression):
            # Melody.
            if kind in ("A", "B"):
                notes = (final_a if (kind == "A" and last_section) else melodies[kind])[bar]
                at = tick
                for eighths, degree in notes:
                    length = eighths * EIGHTH
                    key = scale_note(piece.tonic, degree)
                    accent = 100 if (at - tick) % (2 * EIGHTH) == 0 else 84
                    gate = length - (EIGHTH // 3 if eighths < 3 else EIGHTH // 2)
                    writer.note(MELODY, 0, at, gate, key, accent)
                    at += length
            # Bass: roots and fifths on the beats.
            bass_root = scale_note(piece.tonic - 24, root)
            while bass_root >= piece.tonic - 12:
                bass_root -= 12
            fifth = bass_root + 7
            if bar_eighths == 8:
                beats = [(0, bass_root), (4, fifth)]
            elif piece.meter == "3/4":
                beats = [(0, bass_root)]
            else:
                beats = [(0, bass_root), (3, fifth)]
            if kind == "outro":
                beats = [(0, bass_root)]
            for eighth, key in beats:
                writer.note(BASS, 2, tick + eighth * EIGHTH, EIGHTH * 3 // 2, key, 88)
            # Chords: short off-beat stabs.
            chord = [scale_note(piece.tonic - 12, d) for d in chord_degrees(root)]
            if kind == "outro":
                stabs = [0]
            elif bar_eighths == 8:
                stabs = [2, 6]
            elif piece.meter == "3/4":
                stabs = [2, 4]
            else:
                stabs = [1, 2, 4, 5]
            for eighth in stabs:
                for key in chord:
                    length = bar_ticks if kind == "outro" else EIGHTH * 2 // 3
                    writer.note(HARMONY, 1, tick + eighth * EIGHTH, length, key, 58)
            # Light percussion on the off-beats.
            if piece.percussion is not None and kind not in ("intro", "outro"):
                for eighth in range(1, bar_eighths, 2):
                    writer.note(DRUMS, 9, tick + eighth * EIGHTH, EIGHTH // 2,
                                piece.percussion, 52)
            tick += bar_ticks
    end_tick = tick + TICKS_PER_QUARTER  # let the last chord ring a moment

    numerator, denominator = (int(x) for x in piece.meter.split("/"))
    conductor = [
        (0, 0, meta_text(0x03, piece.title)),
        (0, 0, b"\xFF\x51\x03" + struct.pack(">I", 60_000_000 // piece.bpm)[1:]),
        (0, 0, bytes([0xFF, 0x58, 0x04, numerator, denominator.bit_length() - 1, 24, 8])),
        (0, 0, bytes([0xFF, 0x59, 0x02, KEY_SIGNATURES[piece.tonic % 12] & 0xFF, 0])),
        (end_tick, 0, b"\xFF\x01\x00"),  # empty text marks the piece's end
    ]
    channels = [(MELODY, 0, piece.melody, "melody", 100),
                (HARMONY, 1, piece.chords, "chords", 80),
                (BASS, 2, piece.bass, "bass", 96)]
    chunks = [track_chunk(conductor)]
    for track, channel, program, label, volume in channels:
        setup = [(0, -3, meta_text(0x03, label)),
                 (0, -2, bytes([0xC0 | channel, program])),
                 (0, -1, bytes([0xB0 | channel, 7, volume]))]
        chunks.append(track_chunk(setup + writer.events.get(track, [])))
    if piece.percussion is not None:
        setup = [(0, -2, meta_text(0x03, "percussion")), (0, -1, bytes([0xB9, 7, 70]))]
        chunks.append(track_chunk(setup + writer.events.get(DRUMS, [])))

    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(chunks), TICKS_PER_QUARTER)
    with open(os.path.join(folder, piece.name), "wb") as out:
        out.write(header + b"".join(chunks))
    return end_tick * 60.0 / (piece.bpm * TICKS_PER_QUARTER)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources", "music")
    os.makedirs(folder, exist_ok=True)
    for piece in PIECES:
        seconds = write_piece(piece, folder)
        print(f"{piece.name}  {piece.title:18} {piece.meter} {piece.bpm:3} bpm  {seconds:5.1f} s")


if __name__ == "__main__":
    main()
