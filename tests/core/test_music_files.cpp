// The ten committed MIDI pieces: well-formed standard MIDI files that a
// sequencer can play, of the right length, and all different.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct MidiSummary {
  int format = -1;
  int division = 0;
  std::size_t tracks = 0;
  double seconds = 0.0;
  int note_ons = 0;
  int unmatched_notes = 0;
  std::set<int> programs;                    // (channel << 8) | program
  std::vector<int> first_channel_notes;      // note keys on channel 1, in order
};

class Reader {
 public:
  explicit Reader(const std::vector<std::uint8_t>& bytes, std::size_t begin, std::size_t end)
      : bytes_(bytes), pos_(begin), end_(end) {}
  bool done() const { return pos_ >= end_; }
  std::uint8_t byte() {
    if (pos_ >= end_) throw std::runtime_error("event runs past the end of its track");
    return bytes_[pos_++];
  }
  std::uint32_t var_len() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      const std::uint8_t b = byte();
      value = (value << 7) | (b & 0x7Fu);
      if ((b & 0x80u) == 0) return value;
    }
    throw std::runtime_error("variable-length number longer than four bytes");
  }
  void skip(std::uint32_t n) {
    if (n > end_ - pos_) throw std::runtime_error("data runs past the end of its track");
    pos_ += n;
  }
  std::size_t pos() const { return pos_; }

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::size_t pos_;
  std::size_t end_;
};

std::uint32_t be(const std::vector<std::uint8_t>& b, std::size_t at, int n) {
  if (at + static_cast<std::size_t>(n) > b.size()) throw std::runtime_error("file truncated");
  std::uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = (v << 8) | b[at + static_cast<std::size_t>(i)];
  return v;
}

MidiSummary summarise(const std::vector<std::uint8_t>& bytes) {
  MidiSummary s;
  if (be(bytes, 0, 4) != 0x4D546864u || be(bytes, 4, 4) != 6) throw std::runtime_error("no MThd");
  s.format = static_cast<int>(be(bytes, 8, 2));
  const std::uint32_t declared_tracks = be(bytes, 10, 2);
  s.division = static_cast<int>(be(bytes, 12, 2));
  if (s.division <= 0 || s.division >= 0x8000) throw std::runtime_error("bad division");

  std::map<std::uint64_t, std::uint32_t> tempo_at;  // tick -> microseconds per quarter
  std::uint64_t last_tick = 0;
  std::size_t at = 14;
  while (at < bytes.size()) {
    if (be(bytes, at, 4) != 0x4D54726Bu) throw std::runtime_error("chunk is not MTrk");
    const std::uint32_t length = be(bytes, at + 4, 4);
    const std::size_t begin = at + 8;
    const std::size_t end = begin + length;
    if (end > bytes.size()) throw std::runtime_error("track longer than the file");
    Reader r(bytes, begin, end);
    std::uint64_t tick = 0;
    std::uint8_t status = 0;
    bool ended = false;
    std::map<int, int> sounding;  // (channel << 8 | key) -> count
    while (!r.done()) {
      if (ended) throw std::runtime_error("events after end of track");
      tick += r.var_len();
      std::uint8_t b = r.byte();
      if (b == 0xFF) {
        const std::uint8_t kind = r.byte();
        const std::uint32_t n = r.var_len();
        const std::size_t data = r.pos();
        r.skip(n);
        if (kind == 0x51) {
          if (n != 3) throw std::runtime_error("bad tempo");
          tempo_at[tick] = be(bytes, data, 3);
        }
        if (kind == 0x2F) ended = true;
        continue;
      }
      if (b == 0xF0 || b == 0xF7) {
        r.skip(r.var_len());
        continue;
      }
      std::uint8_t first;
      if (b & 0x80u) {
        status = b;
        first = r.byte();
      } else {
        if (status == 0) throw std::runtime_error("running status without a status");
        first = b;
      }
      const int channel = status & 0x0F;
      const int kind = status & 0xF0;
      const bool two = kind != 0xC0 && kind != 0xD0;
      const std::uint8_t second = two ? r.byte() : 0;
      if ((first | second) & 0x80u) throw std::runtime_error("data byte above 127");
      if (kind == 0xC0) s.programs.insert(channel << 8 | first);
      if (kind == 0x90 && second > 0) {
        ++s.note_ons;
        ++sounding[channel << 8 | first];
        if (channel == 0) s.first_channel_notes.push_back(first);
      } else if (kind == 0x80 || (kind == 0x90 && second == 0)) {
        if (--sounding[channel << 8 | first] < 0) throw std::runtime_error("note off unmatched");
      }
    }
    if (!ended) throw std::runtime_error("track without end-of-track event");
    for (const auto& [key, count] : sounding) s.unmatched_notes += count;
    last_tick = std::max(last_tick, tick);
    ++s.tracks;
    at = end;
  }
  if (s.tracks != declared_tracks) throw std::runtime_error("track count differs from header");

  // Play time through the tempo map (default 120 quarters per minute).
  std::uint64_t from = 0;
  std::uint32_t tempo = 500000;
  for (const auto& [tick, value] : tempo_at) {
    if (tick > last_tick) break;
    s.seconds += static_cast<double>(tick - from) * tempo / s.division / 1e6;
    from = tick;
    tempo = value;
  }
  s.seconds += static_cast<double>(last_tick - from) * tempo / s.division / 1e6;
  return s;
}

std::vector<std::uint8_t> load(const std::string& name) {
  std::ifstream in(std::string(FIZZLET_SOURCE_DIR) + "/resources/music/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(MusicFiles, TenPlayablePiecesOfFortyToOneHundredTwentySecondsAllDifferent) {
  std::vector<std::vector<std::uint8_t>> contents;
  std::set<std::vector<int>> melodies;
  for (int n = 0; n <= 9; ++n) {
    const std::string name = "FZLMUS" + std::to_string(n) + ".MID";
    SCOPED_TRACE(name);
    const auto bytes = load(name);
    ASSERT_FALSE(bytes.empty()) << "missing";
    MidiSummary s;
    ASSERT_NO_THROW(s = summarise(bytes));
    EXPECT_TRUE(s.format == 0 || s.format == 1);
    EXPECT_GE(s.seconds, 40.0);
    EXPECT_LE(s.seconds, 120.0);
    EXPECT_GT(s.note_ons, 200) << "a real piece, not a few notes";
    EXPECT_EQ(s.unmatched_notes, 0) << "every note must be released";
    EXPECT_FALSE(s.programs.empty()) << "instruments are chosen, not left to the device";
    melodies.insert(s.first_channel_notes);
    for (const auto& other : contents) EXPECT_NE(bytes, other);
    contents.push_back(bytes);
  }
  EXPECT_EQ(melodies.size(), 10u) << "each piece has its own tune";
}

}  // namespace
