// The saver window's GDI surfaces under Wine: the same transfers on
// GdiSurface and on the portable SoftwareSurface give the same pixels, and
// pictures keep their colours when converted to the screen's format.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "saver/software_surface.h"
#include "saver/win32/gdi_surface.h"

namespace fizzlet::win32 {
namespace {

constexpr int kWidth = 40;
constexpr int kHeight = 24;

// A 32-bit top-down DIB section filled by colour(x, y).
template <typename Colour>
UniqueBitmap colour_picture(int width, int height, Colour colour) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  auto* pixels = static_cast<std::uint32_t*>(bits);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels[y * width + x] = colour(x, y);
  return bitmap;
}

// A 1-bit bottom-up DIB section (palette black, white) with bit(x, y).
template <typename Bit>
UniqueBitmap mask_picture(int width, int height, Bit bit) {
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[2];
  } info{};
  info.header.biSize = sizeof(info.header);
  info.header.biWidth = width;
  info.header.biHeight = height;
  info.header.biPlanes = 1;
  info.header.biBitCount = 1;
  info.header.biCompression = BI_RGB;
  info.colours[1] = RGBQUAD{255, 255, 255, 0};
  void* bits = nullptr;
  UniqueBitmap bitmap(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info),
                                       DIB_RGB_COLORS, &bits, nullptr, 0));
  const int stride = ((width + 31) / 32) * 4;
  auto* bytes = static_cast<std::uint8_t*>(bits);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (bit(x, y)) bytes[(height - 1 - y) * stride + x / 8] |= std::uint8_t(0x80 >> (x % 8));
  return bitmap;
}

// The pixels of a surface as 0x00RRGGBB, top-down.
std::vector<std::uint32_t> read_pixels(const GdiSurface& surface) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = surface.width();
  info.bmiHeader.biHeight = -surface.height();
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> pixels(std::size_t(surface.width()) * std::size_t(surface.height()));
  const HBITMAP bitmap = static_cast<HBITMAP>(GetCurrentObject(surface.dc(), OBJ_BITMAP));
  GetDIBits(surface.dc(), bitmap, 0, static_cast<UINT>(surface.height()), pixels.data(), &info,
            DIB_RGB_COLORS);
  for (auto& pixel : pixels) pixel &= 0x00FFFFFFu;
  return pixels;
}

std::uint32_t sprite_colour(int x, int y) {
  // Black surround with coloured cells, like the sprite sheet.
  if ((x / 5 + y / 4) % 3 == 0) return 0;
  return 0x00FFFFFFu & (0x9A3C10u * std::uint32_t(x + 1) ^ 0x1F2E7Du * std::uint32_t(y + 3));
}
bool mask_bit(int x, int y) { return sprite_colour(x, y) == 0; }  // white where the sprite is black
std::uint32_t background_colour(int x, int y) {
  return 0x00FFFFFFu & (0x010203u * std::uint32_t(x * 7 + y * 13) + 0x405060u);
}

class GdiSurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(screen_.get(), nullptr); }
  WindowDc screen_{nullptr};
};

TEST_F(GdiSurfaceTest, TransfersGiveTheSamePixelsAsTheSoftwareSurface) {
  const HDC dc = screen_.get();
  const auto sprite_bitmap = colour_picture(kWidth, kHeight, sprite_colour);
  const auto mask_bitmap = mask_picture(kWidth, kHeight, mask_bit);
  const auto background_bitmap = colour_picture(kWidth, kHeight, background_colour);
  MemorySurface sprite = MemorySurface::from_bitmap(sprite_bitmap.get(), dc);
  MemorySurface mask = MemorySurface::from_bitmap(mask_bitmap.get(), dc);
  MemorySurface work = MemorySurface::from_bitmap(background_bitmap.get(), dc);
  MemorySurface copy = MemorySurface::from_bitmap(background_bitmap.get(), dc);
  ASSERT_TRUE(sprite && mask && work && copy);

  SoftwareSurface soft_sprite(kWidth, kHeight), soft_mask(kWidth, kHeight);
  SoftwareSurface soft_work(kWidth, kHeight), soft_copy(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      soft_sprite.set_pixel(x, y, sprite_colour(x, y));
      soft_mask.set_pixel(x, y, mask_bit(x, y) ? 0xFFFFFFu : 0u);
      soft_work.set_pixel(x, y, background_colour(x, y));
      soft_copy.set_pixel(x, y, background_colour(x, y));
    }
  }

  // Draw through the mask, draw additively, erase from the copy, with
  // rectangles inside, across the edges and wholly outside the surfaces.
  struct Step {
    int dx, dy, w, h, sx, sy;
  };
  const Step steps[] = {{3, 2, 12, 9, 5, 4},  {30, 18, 20, 20, 0, 0}, {-6, -3, 14, 10, 2, 1},
                        {10, 5, 8, 8, 35, 20}, {50, 50, 5, 5, 0, 0},  {0, 0, kWidth, kHeight, 0, 0}};
  for (const Step& s : steps) {
    work.bit_blt(s.dx, s.dy, s.w, s.h, mask, s.sx, s.sy, RasterOp::src_and);
    work.bit_blt(s.dx, s.dy, s.w, s.h, sprite, s.sx, s.sy, RasterOp::src_paint);
    soft_work.bit_blt(s.dx, s.dy, s.w, s.h, soft_mask, s.sx, s.sy, RasterOp::src_and);
    soft_work.bit_blt(s.dx, s.dy, s.w, s.h, soft_sprite, s.sx, s.sy, RasterOp::src_paint);
  }
  work.bit_blt(8, 6, 10, 7, copy, 8, 6, RasterOp::src_copy);
  soft_work.bit_blt(8, 6, 10, 7, soft_copy, 8, 6, RasterOp::src_copy);
  work.bit_blt(20, 1, 9, 9, sprite, 2, 2, RasterOp::src_paint);
  soft_work.bit_blt(20, 1, 9, 9, soft_sprite, 2, 2, RasterOp::src_paint);

  const auto gdi = read_pixels(work);
  int mismatches = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const std::uint32_t expected = soft_work.pixel(x, y);
      const std::uint32_t actual = gdi[std::size_t(y) * kWidth + std::size_t(x)];
      if (expected != actual && ++mismatches <= 5) {
        ADD_FAILURE() << "pixel " << x << "," << y << ": GDI " << std::hex << actual
                      << ", software " << expected;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST_F(GdiSurfaceTest, PicturesKeepTheirColoursAndSize) {
  const HDC dc = screen_.get();
  // A 1-bit mask: bit 1 is white, bit 0 black, whatever the screen's format.
  const auto mask_bitmap = mask_picture(9, 3, [](int x, int y) { return (x + y) % 2 == 0; });
  const MemorySurface mask = MemorySurface::from_bitmap(mask_bitmap.get(), dc);
  ASSERT_EQ(mask.width(), 9);
  ASSERT_EQ(mask.height(), 3);
  const auto pixels = read_pixels(mask);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 9; ++x)
      EXPECT_EQ(pixels[std::size_t(y) * 9 + std::size_t(x)], (x + y) % 2 == 0 ? 0xFFFFFFu : 0u)
          << x << "," << y;

  // A top-down picture keeps its height and its row order.
  const auto top_down = colour_picture(4, 5, [](int, int y) { return y == 0 ? 0xFF0000u : 0u; });
  const MemorySurface converted = MemorySurface::from_bitmap(top_down.get(), dc);
  ASSERT_EQ(converted.height(), 5);
  EXPECT_EQ(read_pixels(converted)[0], 0xFF0000u);

  // New window-sized surfaces start black; a missing picture gives an empty one.
  const MemorySurface fresh = MemorySurface::compatible(dc, 6, 4);
  for (const auto pixel : read_pixels(fresh)) EXPECT_EQ(pixel, 0u);
  EXPECT_FALSE(MemorySurface::from_bitmap(nullptr, dc));
  EXPECT_FALSE(MemorySurface::compatible(dc, 0, 10));
}

TEST_F(GdiSurfaceTest, ForeignOrEmptySourcesCopyNothingAndMovesKeepOwnership) {
  const HDC dc = screen_.get();
  MemorySurface target = MemorySurface::compatible(dc, 4, 4);
  const SoftwareSurface foreign(4, 4, 0xFFFFFFu);
  target.bit_blt(0, 0, 4, 4, foreign, 0, 0, RasterOp::src_copy);
  const MemorySurface empty;
  target.bit_blt(0, 0, 4, 4, empty, 0, 0, RasterOp::src_paint);
  for (const auto pixel : read_pixels(target)) EXPECT_EQ(pixel, 0u);

  // Moving a surface moves its DC and bitmap; the old one is left empty and
  // the new one still draws.
  const auto white = colour_picture(4, 4, [](int, int) { return 0xFFFFFFu; });
  MemorySurface source = MemorySurface::from_bitmap(white.get(), dc);
  MemorySurface moved = std::move(source);
  EXPECT_FALSE(source);  // NOLINT(bugprone-use-after-move): checking the moved-from state
  EXPECT_EQ(source.dc(), nullptr);
  target = MemorySurface::compatible(dc, 4, 4);
  target.bit_blt(1, 1, 2, 2, moved, 0, 0, RasterOp::src_copy);
  const auto pixels = read_pixels(target);
  EXPECT_EQ(pixels[5], 0xFFFFFFu);
  EXPECT_EQ(pixels[0], 0u);
}

}  // namespace
}  // namespace fizzlet::win32
