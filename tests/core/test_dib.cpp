#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "saver/dib.h"
#include "saver/random.h"

namespace fizzlet {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, std::uint32_t v) {
  b.push_back(std::uint8_t(v & 0xFF));
  b.push_back(std::uint8_t((v >> 8) & 0xFF));
}
void put32(Bytes& b, std::uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
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

// A packed DIB (40-byte header) from its parts; rows are padded to 4 bytes.
Bytes packed(const BmpSpec& spec) {
  Bytes b;
  put32(b, 40);
  put32(b, std::uint32_t(spec.width));
  put32(b, std::uint32_t(spec.height));
  put16(b, 1);
  put16(b, spec.bits);
  put32(b, spec.compression);
  put32(b, 0);
  put32(b, 2835);
  put32(b, 2835);
  put32(b, std::uint32_t(spec.palette.size()));
  put32(b, 0);
  for (std::uint32_t m : spec.masks) put32(b, m);
  for (std::uint32_t c : spec.palette) put32(b, c);
  for (Bytes row : spec.rows) {
    while (row.size() % 4 != 0) row.push_back(0);
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

Bytes file(const BmpSpec& spec) {
  const Bytes dib = packed(spec);
  Bytes b = {'B', 'M'};
  put32(b, std::uint32_t(14 + dib.size()));
  put32(b, 0);
  put32(b, std::uint32_t(14 + 40 + 4 * (spec.masks.size() + spec.palette.size())));
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
  EXPECT_EQ(r.image->bits_per_pixel, 8);
  EXPECT_FALSE(r.image->top_down);
  EXPECT_EQ(r.image->palette.size(), 4u);
  EXPECT_EQ(r.image->index(0, 0), 1);
  EXPECT_EQ(r.image->pixel(0, 0), 0xFF0000u);
  EXPECT_EQ(r.image->pixel(0, 1), 0x0000FFu);
  EXPECT_EQ(r.image->index(2, 0), 9);
  EXPECT_EQ(r.image->pixel(2, 0), 0u);  // index outside the palette reads black

  spec.height = -2;
  r = decode_bmp(file(spec));
  ASSERT_TRUE(r) << r.error;
  EXPECT_TRUE(r.image->top_down);
  EXPECT_EQ(r.image->index(0, 0), 3);
  EXPECT_EQ(r.image->index(0, 1), 1);

  // The same picture as a packed DIB (as a resource holds it).
  r = decode_packed_dib(packed(spec));
  ASSERT_TRUE(r) << r.error;
  EXPECT_EQ(r.image->index(0, 0), 3);

  // 1 bit, 10 pixels wide (two bytes plus padding), default palette size.
  BmpSpec mono{10, 1, 1, 0, {0x000000, 0xFFFFFF}, {}, {{0b10110000, 0b01000000}}};
  r = decode_bmp(file(mono));
  ASSERT_TRUE(r) << r.error;
  const std::vector<std::uint8_t> bits = {1, 0, 1, 1, 0, 0, 0, 0, 0, 1};
  EXPECT_EQ(r.image->indices, bits);
  EXPECT_EQ(r.image->pixel(0, 0), 0xFFFFFFu);
  EXPECT_EQ(r.image->pixel(1, 0), 0u);

  // 4 bits.
  BmpSpec nibbles{3, 1, 4, 0, std::vector<std::uint32_t>(16, 0x123456), {}, {{0x5A, 0xF0}}};
  r = decode_bmp(file(nibbles));
  ASSERT_TRUE(r) << r.error;
  EXPECT_EQ(r.image->indices, (std::vector<std::uint8_t>{5, 10, 15}));
}

TEST(Dib, ReadsTrueColourPictures) {
  // 24 bits, 3 wide: 9 bytes per row padded to 12, blue-green-red order.
  BmpSpec rgb{3, 2, 24, 0, {}, {},
              {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {0x30, 0x20, 0x10, 0, 0, 0, 0xFF, 0xFF, 0xFF}}};
  DibResult r = decode_bmp(file(rgb));
  ASSERT_TRUE(r) << r.error;
  EXPECT_EQ(r.image->pixel(0, 0), 0x102030u);
  EXPECT_EQ(r.image->pixel(2, 0), 0xFFFFFFu);
  EXPECT_EQ(r.image->pixel(0, 1), 0x030201u);
  EXPECT_TRUE(r.image->indices.empty());

  // 32 bits: the fourth byte is ignored.
  BmpSpec rgbx{1, 1, 32, 0, {}, {}, {{0x11, 0x22, 0x33, 0xEE}}};
  r = decode_bmp(file(rgbx));
  ASSERT_TRUE(r) << r.error;
  EXPECT_EQ(r.image->pixel(0, 0), 0x332211u);

  // 16 bits, 5-5-5 by default and 5-6-5 by bit fields.
  BmpSpec x555{2, 1, 16, 0, {}, {}, {{0x00, 0x7C, 0x1F, 0x00}}};
  r = decode_bmp(file(x555));
  ASSERT_TRUE(r) << r.error;
  EXPECT_EQ(r.image->pixel(0, 0), 0xFF0000u);
  EXPECT_EQ(r.image->pixel(1, 0), 0x0000FFu);
  BmpSpec x565{1, 1, 16, 3, {}, {0xF800, 0x07E0, 0x001F}, {{0xE0, 0x07}}};
  r = decode_bmp(file(x565));
  ASSERT_TRUE(r) << r.error;
  EXPECT_EQ(r.image->pixel(0, 0), 0x00FF00u);
}

TEST(Dib, RefusesMalformedInputWithoutCrashing) {
  const BmpSpec good{5, 3, 8, 0, {0, 0xFFFFFF}, {},
                     {{0, 1, 0, 1, 0}, {1, 1, 1, 1, 1}, {0, 0, 0, 0, 1}}};
  const Bytes whole = file(good);
  ASSERT_TRUE(decode_bmp(whole));
  // Every truncation is an error, never a crash or a read past the end.
  for (std::size_t n = 0; n < whole.size(); ++n) {
    const Bytes cut(whole.begin(), whole.begin() + std::ptrdiff_t(n));
    const DibResult r = decode_bmp(cut);
    EXPECT_FALSE(r) << n;
    EXPECT_FALSE(r.error.empty());
  }
  struct Bad {
    const char* what;
    BmpSpec spec;
  };
  const Bad bad[] = {
      {"zero width", {0, 3, 8, 0, {0}, {}, {}}},
      {"zero height", {5, 0, 8, 0, {0}, {}, {}}},
      {"negative width", {-5, 3, 8, 0, {0}, {}, {}}},
      {"huge", {1 << 20, 1 << 20, 8, 0, {0}, {}, {}}},
      {"top-down huge", {1 << 20, -(1 << 20), 8, 0, {0}, {}, {}}},
      {"most negative height", {1, std::numeric_limits<std::int32_t>::min(), 8, 0, {0}, {}, {}}},
      {"odd depth", {5, 3, 7, 0, {0}, {}, {}}},
      {"run-length compressed", {5, 3, 8, 1, {0}, {}, {}}},
      {"bit fields on 8 bits", {5, 3, 8, 3, {0}, {1, 2, 3}, {}}},
      {"palette over 256", {1, 1, 8, 0, std::vector<std::uint32_t>(300, 0), {}, {{0}}}},
  };
  for (const Bad& b : bad) {
    EXPECT_FALSE(decode_bmp(file(b.spec))) << b.what;
    EXPECT_FALSE(decode_packed_dib(packed(b.spec))) << b.what;
  }
  Bytes not_bmp = whole;
  not_bmp[0] = 'X';
  EXPECT_FALSE(decode_bmp(not_bmp));
  Bytes far_offset = whole;
  far_offset[10] = 0xFF;
  far_offset[11] = 0xFF;
  EXPECT_FALSE(decode_bmp(far_offset));
  Bytes small_header = whole;
  small_header[14] = 20;  // neither the old 12-byte nor a 40-byte or larger header
  EXPECT_FALSE(decode_bmp(small_header));
  EXPECT_FALSE(load_bmp_file("/nonexistent/dir/no.bmp"));

  // Random damage anywhere in the file: any outcome but a crash.
  SeededRandom random(99);
  for (int i = 0; i < 20000; ++i) {
    Bytes damaged = whole;
    const int hits = draw(random, 4);
    for (int h = 0; h < hits; ++h) {
      const auto at = std::size_t(draw(random, double(damaged.size())) - 1);
      damaged[at] = std::uint8_t(draw(random, 256) - 1);
    }
    const DibResult r = decode_bmp(damaged);
    if (r) {
      EXPECT_EQ(r.image->pixels.size(), std::size_t(r.image->width) * std::size_t(r.image->height));
    }
  }
}

}  // namespace
}  // namespace fizzlet
