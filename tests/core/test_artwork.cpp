// The committed pictures, read with the saver's own bitmap decoder: the sheet
// and its mask must agree pixel by pixel and keep every image inside the cell
// rectangles of the engine's table, or the compositor would draw holes, black
// boxes or slivers of a neighbouring piece.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "saver/dib.h"
#include "saver/sprites.h"

namespace fizzlet {
namespace {

std::string resource(const std::string& name) {
  return std::string(FIZZLET_SOURCE_DIR) + "/resources/" + name;
}

DibImage load(const std::string& name) {
  DibResult r = load_bmp_file(resource(name));
  EXPECT_TRUE(r) << name << ": " << r.error;
  return r ? *r.image : DibImage{};
}

std::uint8_t channel(std::uint32_t rgb, int shift) { return std::uint8_t((rgb >> shift) & 0xFF); }

// The sheet, its mask and the engine's cell table, loaded once for the
// whole suite.
struct SheetData {
  DibImage sprite = load("sprite.bmp");
  DibImage mask = load("mask.bmp");
  Sprites sprites = [] {
    Sprites s;
    init_sprites(s, 1 << 24);
    return s;
  }();
};

class Sheet : public ::testing::Test {
 protected:
  Sheet() {
    static const SheetData data;
    sprite_ = &data.sprite;
    mask_ = &data.mask;
    sprites_ = &data.sprites;
  }
  bool image_pixel(int x, int y) const { return sprite_->index(x, y) != 0; }

  const DibImage* sprite_;
  const DibImage* mask_;
  const Sprites* sprites_;
};

TEST_F(Sheet, SizesDepthsAndPalettes) {
  ASSERT_EQ(sprite_->width, kSheetWidth);
  ASSERT_EQ(sprite_->height, kSheetHeight);
  EXPECT_EQ(sprite_->bits_per_pixel, 8);
  ASSERT_EQ(sprite_->palette.size(), 256u);
  EXPECT_EQ(sprite_->palette[0], 0x000000u);
  for (std::size_t i = 1; i < sprite_->palette.size(); ++i) {
    EXPECT_NE(sprite_->palette[i], 0x000000u) << "palette entry " << i << " is black";
  }

  ASSERT_EQ(mask_->width, kSheetWidth);
  ASSERT_EQ(mask_->height, kSheetHeight);
  EXPECT_EQ(mask_->bits_per_pixel, 1);
  ASSERT_EQ(mask_->palette.size(), 2u);
  EXPECT_EQ(mask_->palette[0], 0x000000u);
  EXPECT_EQ(mask_->palette[1], 0xFFFFFFu);
}

TEST_F(Sheet, MaskIsWhiteExactlyWhereTheSpriteIsBlack) {
  ASSERT_EQ(sprite_->width, mask_->width);
  ASSERT_EQ(sprite_->height, mask_->height);
  int mismatches = 0;
  int image_pixels = 0;
  for (int y = 0; y < sprite_->height; ++y) {
    for (int x = 0; x < sprite_->width; ++x) {
      const bool background = sprite_->index(x, y) == 0;
      const bool white = mask_->index(x, y) == 1;
      if (background != white && ++mismatches <= 5) {
        ADD_FAILURE() << "sprite and mask disagree at (" << x << ", " << y << ")";
      }
      // The sprite is drawn with OR over the masked-out hole: an image pixel
      // of colour black would show the background through the piece.
      if (!background) {
        ++image_pixels;
        EXPECT_NE(sprite_->pixel(x, y), 0u) << "black image pixel at (" << x << ", " << y << ")";
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(image_pixels, 0);
}

TEST_F(Sheet, ImagesStayInsideTheirCellsAndFillThem) {
  // Nothing outside the union of the cells: drawing a cell must not pick up
  // a sliver of its neighbour, and nothing may be lost between cells.
  int stray = 0;
  for (int y = 0; y < sprite_->height; ++y) {
    for (int x = 0; x < sprite_->width; ++x) {
      if (!image_pixel(x, y)) continue;
      bool in_cell = false;
      for (int c = kFirstPieceCell; c <= kLastRollCell && !in_cell; ++c) {
        in_cell = cell_rect(*sprites_, c).contains({x, y, 1, 1});
      }
      if (!in_cell && ++stray <= 5) ADD_FAILURE() << "image pixel outside every cell at " << x << ", " << y;
    }
  }
  EXPECT_EQ(stray, 0);

  for (int c = kFirstPieceCell; c <= kLastRollCell; ++c) {
    const PixelRect r = cell_rect(*sprites_, c);
    int min_x = r.width, max_x = -1, min_y = r.height, max_y = -1, count = 0;
    for (int y = 0; y < r.height; ++y) {
      for (int x = 0; x < r.width; ++x) {
        if (!image_pixel(r.left + x, r.top + y)) continue;
        ++count;
        min_x = std::min(min_x, x);
        max_x = std::max(max_x, x);
        min_y = std::min(min_y, y);
        max_y = std::max(max_y, y);
      }
    }
    ASSERT_GT(count, 0) << "cell " << c << " is empty";
    if (c <= kFirstPieceCell + kPieceCells - 1) {
      // A popped piece fills its rectangle: it reaches (nearly) every edge.
      EXPECT_LE(min_x, 1) << "cell " << c;
      EXPECT_LE(min_y, 1) << "cell " << c;
      EXPECT_GE(max_x, r.width - 2) << "cell " << c;
      EXPECT_GE(max_y, r.height - 2) << "cell " << c;
    } else {
      // A kernel is a solid body of a good size whichever way it is turned.
      EXPECT_GE(count, 300) << "cell " << c;
      EXPECT_GE(max_x - min_x, 18) << "cell " << c;
      EXPECT_GE(max_y - min_y, 18) << "cell " << c;
    }
  }
}

// The largest 8-connected group of image pixels in a cell, as a share of all
// of them: a piece drawn as scattered fragments would look broken in flight.
double largest_part(const DibImage& sheet, const PixelRect& r) {
  std::vector<int> seen(std::size_t(r.width * r.height), 0);
  int total = 0, best = 0;
  for (int start = 0; start < r.width * r.height; ++start) {
    const int sx = start % r.width, sy = start / r.width;
    if (seen[std::size_t(start)] || sheet.index(r.left + sx, r.top + sy) == 0) continue;
    std::vector<int> todo{start};
    seen[std::size_t(start)] = 1;
    int size = 0;
    while (!todo.empty()) {
      const int p = todo.back();
      todo.pop_back();
      ++size;
      const int px = p % r.width, py = p / r.width;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          const int nx = px + dx, ny = py + dy;
          if (nx < 0 || ny < 0 || nx >= r.width || ny >= r.height) continue;
          const int q = ny * r.width + nx;
          if (seen[std::size_t(q)] || sheet.index(r.left + nx, r.top + ny) == 0) continue;
          seen[std::size_t(q)] = 1;
          todo.push_back(q);
        }
      }
    }
    total += size;
    best = std::max(best, size);
  }
  return total == 0 ? 0.0 : double(best) / double(total);
}

// Average colour of the image pixels of a cell.
std::array<double, 3> mean_colour(const DibImage& sheet, const PixelRect& r) {
  std::array<double, 3> sum{};
  int n = 0;
  for (int y = r.top; y < r.top + r.height; ++y) {
    for (int x = r.left; x < r.left + r.width; ++x) {
      if (sheet.index(x, y) == 0) continue;
      const std::uint32_t p = sheet.pixel(x, y);
      sum[0] += channel(p, 16);
      sum[1] += channel(p, 8);
      sum[2] += channel(p, 0);
      ++n;
    }
  }
  for (double& v : sum) v /= std::max(n, 1);
  return sum;
}

// A cell's silhouette sampled on a 16 x 16 grid, whatever the cell's size, so
// that pieces of different sizes can be compared by shape.
std::array<bool, 256> silhouette(const DibImage& sheet, const PixelRect& r) {
  std::array<bool, 256> out{};
  for (int gy = 0; gy < 16; ++gy) {
    for (int gx = 0; gx < 16; ++gx) {
      const int x = r.left + (2 * gx + 1) * r.width / 32;
      const int y = r.top + (2 * gy + 1) * r.height / 32;
      out[std::size_t(gy * 16 + gx)] = sheet.index(x, y) != 0;
    }
  }
  return out;
}

int differing(const std::array<bool, 256>& a, const std::array<bool, 256>& b) {
  int d = 0;
  for (std::size_t i = 0; i < a.size(); ++i) d += a[i] != b[i];
  return d;
}

TEST_F(Sheet, PiecesAreDistinctCreamShapesAndTheKernelIsGoldenAndTurns) {
  std::vector<std::array<bool, 256>> pieces;
  for (int c = kFirstPieceCell; c < kFirstPieceCell + kPieceCells; ++c) {
    const PixelRect r = cell_rect(*sprites_, c);
    EXPECT_GE(largest_part(*sprite_, r), 0.97) << "piece " << c << " falls apart";
    // Cream to light brown: warm (red >= green >= blue) and fairly light.
    const auto m = mean_colour(*sprite_, r);
    EXPECT_GE(m[0], m[1]) << "piece " << c;
    EXPECT_GT(m[1], m[2]) << "piece " << c;
    EXPECT_GT(m[0], 150.0) << "piece " << c;
    pieces.push_back(silhouette(*sprite_, r));
  }
  // Stretched copies of one shape would match closely on the normalised grid.
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    for (std::size_t j = i + 1; j < pieces.size(); ++j) {
      EXPECT_GE(differing(pieces[i], pieces[j]), 16) << "pieces " << i + 1 << " and " << j + 1;
    }
  }

  std::vector<std::array<bool, 256>> rolls;
  for (int c = kFirstRollCell; c <= kLastRollCell; ++c) {
    const PixelRect r = cell_rect(*sprites_, c);
    EXPECT_GE(largest_part(*sprite_, r), 0.99) << "kernel " << c;
    // Golden orange: clearly more red than green, more green than blue.
    const auto m = mean_colour(*sprite_, r);
    EXPECT_GT(m[0], m[1] + 30.0) << "kernel " << c;
    EXPECT_GT(m[1], m[2] + 30.0) << "kernel " << c;
    rolls.push_back(silhouette(*sprite_, r));
  }
  // Every position differs from the next (the last leads back to the first),
  // and a half turn is not the same picture: the kernel is not a round blob.
  for (std::size_t k = 0; k < rolls.size(); ++k) {
    EXPECT_GE(differing(rolls[k], rolls[(k + 1) % rolls.size()]), 4) << "roll step " << k;
    EXPECT_GE(differing(rolls[k], rolls[(k + 8) % rolls.size()]), 16) << "roll step " << k;
  }
}

TEST(Artwork, DialogAndPreviewPicturesAreSmall256ColourPicturesOnBlack) {
  struct Expected {
    const char* file;
    int width, height;
  };
  for (const Expected& e : {Expected{"preview.bmp", 150, 112}, Expected{"title.bmp", 320, 240},
                            Expected{"about.bmp", 150, 112}}) {
    SCOPED_TRACE(e.file);
    const DibImage img = load(e.file);
    ASSERT_EQ(img.width, e.width);
    ASSERT_EQ(img.height, e.height);
    EXPECT_EQ(img.bits_per_pixel, 8);
    EXPECT_LE(img.palette.size(), 256u);
    // Black background, but a real picture on it, with the red of the title
    // letters somewhere.
    int black = 0, red = 0;
    for (std::uint32_t p : img.pixels) {
      black += p == 0;
      red += channel(p, 16) > 160 && channel(p, 8) < 70 && channel(p, 0) < 70;
    }
    const int total = img.width * img.height;
    EXPECT_GT(black, total / 5);
    EXPECT_LT(black, total * 9 / 10);
    EXPECT_GT(red, total / 100);
    EXPECT_EQ(img.pixel(0, img.height / 2), 0u);
  }
}

std::vector<std::uint8_t> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + std::size_t(i)];
  return v;
}

TEST(Artwork, IconHoldsKernelsAt16_32And48Pixels) {
  const std::vector<std::uint8_t> ico = read_file(resource("fizzlet.ico"));
  ASSERT_GE(ico.size(), 6u);
  EXPECT_EQ(le(ico, 0, 2), 0u);
  EXPECT_EQ(le(ico, 2, 2), 1u);  // an icon, not a cursor
  const std::uint32_t count = le(ico, 4, 2);
  ASSERT_EQ(count, 3u);
  ASSERT_GE(ico.size(), 6u + 16u * count);
  std::vector<int> sizes;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t entry = 6 + 16 * std::size_t(i);
    const int size = ico[entry];
    const std::uint32_t length = le(ico, entry + 8, 4);
    const std::uint32_t offset = le(ico, entry + 12, 4);
    ASSERT_LE(std::size_t(offset) + length, ico.size()) << "icon " << size;
    sizes.push_back(size);
    // Each image is a 32-bit DIB of doubled height: the colour rows
    // (bottom-up), then the 1-bit transparency mask.
    const std::size_t mask_stride = ((std::size_t(size) + 31) / 32) * 4;
    const std::size_t colour_bytes = std::size_t(size * size) * 4;
    ASSERT_EQ(length, 40 + colour_bytes + mask_stride * std::size_t(size)) << "icon " << size;
    EXPECT_EQ(le(ico, offset, 4), 40u);
    EXPECT_EQ(le(ico, offset + 4, 4), std::uint32_t(size));
    EXPECT_EQ(le(ico, offset + 8, 4), std::uint32_t(2 * size));
    EXPECT_EQ(le(ico, offset + 14, 2), 32u);
    // Golden and opaque in the middle: blue, green, red, alpha in that order.
    const std::size_t mid = offset + 40 + (std::size_t(size / 2) * std::size_t(size) +
                                           std::size_t(size / 2)) * 4;
    EXPECT_GT(ico[mid + 2], ico[mid] + 60) << "icon " << size;
    EXPECT_EQ(ico[mid + 3], 255) << "icon " << size;
  }
  EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48}));
}

}  // namespace
}  // namespace fizzlet
