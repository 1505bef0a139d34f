#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "saver/dib.h"
#include "saver/random.h"

namespace fizzlet {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put(Bytes& b, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(std::uint8_t(i < 4 ? v >> (8 * i) : 0u));
}

struct BmpSpec {
  std::int32_t width = 0;
  std::int32_t height = 0;  // negative: top-down
  std::uint16_t bits = 8;
  std::uint32_t compression = 0;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB
  std::vector<std::uint32_t> masks;    // bit fields after the header
  std::vector<Bytes> rows;             // as stored, unpadded, in file order
};

// A packed DIB (40-byte header); rows are padded to 4 bytes.
Bytes packed(const BmpSpec& spec) {
  Bytes b;
  for (const auto& [v, n] : {std::pair{40u, 4}, {std::uint32_t(spec.width), 4},
                            {std::uint32_t(spec.height), 4}, {1u, 2}, {spec.bits, 2},
                            {spec.compression, 4}, {0u, 12}, {std::uint32_t(spec.palette.size()), 4},
                            {0u, 4}}) {
    put(b, v, n);
  }
  for (std::uint32_t m : spec.masks) put(b, m, 4);
  for (std::uint32_t c : spec.palette) put(b, c, 4);
  for (Bytes row : spec.rows) {
    row.resize((row.size() + 3) / 4 * 4);
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

Bytes file(const BmpSpec& spec) {
  const Bytes dib = packed(spec);
  Bytes b = {'B', 'M'};
  put(b, std::uint32_t(14 + dib.size()), 4);
  put(b, 0, 4);
  put(b, std::uint32_t(14 + 40 + 4 * (spec.masks.size() + spec.palette.size())), 4);
  b.insert(b.end(), dib.begin(), dib.end());
  return b;
}

TEST(Dib, ReadsPalettePicturesBottomUpAndTopDown) {
  // 8 bits, 3 x 2, stored bottom-up: the first stored row is the bottom one.
  BmpSpec spec{3, 2, 8, 0, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF}, {}, {{3, 2, 1}, {1, 0, 9}}};
  DibResult r = decode_bmp(file(spec));
  ASSERT_TRUE(r) << r.error;
  EXPECT_EQ(r.image->width, 3);
  EXPECT_EQ(r.image->height, 2);
  EXPECT_EQ(r.image->palette.size(), 4u);
  EXPECT_EQ(r.image->indices, (std::vector<std::uint8_t>{1, 0, 9, 3, 2, 1}));
  // Index 9 is outside the palette and reads black.
  EXPECT_EQ(r.image->pixels,
            (std::vector<std::uint32_t>{0xFF0000, 0, 0, 0x0000FF, 0x00FF00, 0xFF0000}));
  spec.height = -2;
  r = decode_bmp(file(spec));
  ASSERT_TRUE(r) << r.error;
  EXPECT_TRUE(r.image->top_down);
  EXPECT_EQ(r.image->indices, (std::vector<std::uint8_t>{3, 2, 1, 1, 0, 9}));
  r = decode_packed_dib(packed(spec));  // as a resource holds it
  ASSERT_TRUE(r) << r.error;
  EXPECT_EQ(r.image->index(0, 0), 3);

  // 1 bit, 10 pixels wide (two bytes plus padding); 4 bits.
  r = decode_bmp(file({10, 1, 1, 0, {0x000000, 0xFFFFFF}, {}, {{0b10110000, 0b01000000}}}));
  ASSERT_TRUE(r) << r.error;
  EXPECT_EQ(r.image->indices, (std::vector<std::uint8_t>{1, 0, 1, 1, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(r.image->pixel(0, 0), 0xFFFFFFu);
  r = decode_bmp(file({3, 1, 4, 0, std::vector<std::uint32_t>(16, 7), {}, {{0x5A, 0xF0}}}));
  ASSERT_TRUE(r) << r.error;
  EXPECT_EQ(r.image->indices, (std::vector<std::uint8_t>{5, 10, 15}));
}

TEST(Dib, ReadsTrueColourPictures) {
  // 24 bits, 3 wide: 9 bytes per row padded to 12, blue-green-red order.
  DibResult r = decode_bmp(
      file({3, 2, 24, 0, {}, {}, {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {0x30, 0x20, 0x10, 0, 0, 0, 0xFF, 0xFF, 0xFF}}}));
  ASSERT_TRUE(r) << r.error;
  EXPECT_EQ(r.image->pixels,
            (std::vector<std::uint32_t>{0x102030, 0, 0xFFFFFF, 0x030201, 0x060504, 0x090807}));
  // 32 bits (the fourth byte is ignored); 16 bits as 5-5-5 and as 5-6-5 bit fields.
  r = decode_bmp(file({1, 1, 32, 0, {}, {}, {{0x11, 0x22, 0x33, 0xEE}}}));
  ASSERT_TRUE(r) << r.error;
  EXPECT_EQ(r.image->pixel(0, 0), 0x332211u);
  r = decode_bmp(file({2, 1, 16, 0, {}, {}, {{0x00, 0x7C, 0x1F, 0x00}}}));
  ASSERT_TRUE(r) << r.error;
  EXPECT_EQ(r.image->pixels, (std::vector<std::uint32_t>{0xFF0000, 0x0000FF}));
  r = decode_bmp(file({1, 1, 16, 3, {}, {0xF800, 0x07E0, 0x001F}, {{0xE0, 0x07}}}));
  ASSERT_TRUE(r) << r.error;
  EXPECT_EQ(r.image->pixel(0, 0), 0x00FF00u);
}

TEST(Dib, RefusesMalformedInputWithoutCrashing) {
  const Bytes whole = file({5, 3, 8, 0, {0, 0xFFFFFF}, {}, {{0, 1, 0, 1, 0}, {1, 1, 1, 1, 1}, {0, 0, 0, 0, 1}}});
  ASSERT_TRUE(decode_bmp(whole));
  for (std::size_t n = 0; n < whole.size(); ++n) {  // every truncation is an error
    const DibResult r = decode_bmp(Bytes(whole.begin(), whole.begin() + std::ptrdiff_t(n)));
    EXPECT_TRUE(!r && !r.error.empty()) << n;
  }
  const std::pair<const char*, BmpSpec> bad[] = {
      {"zero width", {0, 3, 8, 0, {0}, {}, {}}},
      {"zero height", {5, 0, 8, 0, {0}, {}, {}}},
      {"negative width", {-5, 3, 8, 0, {0}, {}, {}}},
      {"huge", {1 << 20, -(1 << 20), 8, 0, {0}, {}, {}}},
      {"most negative height", {1, std::numeric_limits<std::int32_t>::min(), 8, 0, {0}, {}, {}}},
      {"odd depth", {5, 3, 7, 0, {0}, {}, {}}},
      {"run-length compressed", {5, 3, 8, 1, {0}, {}, {}}},
      {"bit fields on 8 bits", {5, 3, 8, 3, {0}, {1, 2, 3}, {}}},
      {"palette over 256", {1, 1, 8, 0, std::vector<std::uint32_t>(300, 0), {}, {{0}}}},
  };
  for (const auto& [what, spec] : bad) {
    EXPECT_FALSE(decode_bmp(file(spec))) << what;
    EXPECT_FALSE(decode_packed_dib(packed(spec))) << what;
  }
  for (const auto& [at, value] : {std::pair{0, 'X'}, {11, '\xFF'}, {14, '\x14'}}) {
    Bytes damaged = whole;  // not "BM"; pixels beyond the end; a 20-byte header
    damaged[std::size_t(at)] = std::uint8_t(value);
    EXPECT_FALSE(decode_bmp(damaged)) << at;
  }
  EXPECT_FALSE(load_bmp_file("/nonexistent/dir/no.bmp"));

  // Random damage anywhere in the file: any outcome but a crash.
  SeededRandom random(99);
  for (int i = 0; i < 20000; ++i) {
    Bytes damaged = whole;
    for (int hits = draw(random, 4); hits > 0; --hits) {
      damaged[std::size_t(draw(random, double(damaged.size())) - 1)] =
          std::uint8_t(draw(random, 256) - 1);
    }
    if (const DibResult r = decode_bmp(damaged)) {
      EXPECT_EQ(r.image->pixels.size(), std::size_t(r.image->width) * std::size_t(r.image->height));
    }
  }
}

}  // namespace
}  // namespace fizzlet
