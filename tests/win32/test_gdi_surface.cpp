// The saver window's surfaces under Wine: frames composed in DIB-section
// memory and presented with GDI show exactly what the portable software
// saver shows, in both drawing modes, and the owners count and free what
// they hold.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "../core/engine_fixtures.h"
#include "saver/animation.h"
#include "graphics/win32/gdi_surface.h"

namespace fizzlet::win32 {
namespace {

// A screen-compatible bitmap in a memory DC, standing in for the window.
struct FakeScreen {
  FakeScreen(HDC reference, int width, int height)
      : dc(own_dc(CreateCompatibleDC(reference))),
        bitmap(own_bitmap(CreateCompatibleBitmap(reference, width, height))),
        selection(dc.get(), bitmap.get()),
        surface(dc.get(), width, height) {
    PatBlt(dc.get(), 0, 0, width, height, BLACKNESS);
  }
  // Its pixels as 0x00RRGGBB, top-down.
  std::vector<std::uint32_t> pixels() const {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = surface.width();
    info.bmiHeader.biHeight = -surface.height();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> out(std::size_t(surface.width()) * std::size_t(surface.height()));
    GetDIBits(dc.get(), bitmap.get(), 0, static_cast<UINT>(surface.height()), out.data(), &info,
              DIB_RGB_COLORS);
    for (auto& pixel : out) pixel &= 0x00FFFFFFu;
    return out;
  }
  UniqueDc dc;
  UniqueBitmap bitmap;
  Selection selection;
  GdiSurface surface;
};

TEST(DibSurfaces, FramesShowWhatTheSoftwareSaverShowsInBothModes) {
  const WindowDc reference(nullptr);
  ASSERT_NE(reference.get(), nullptr);
  if (GetDeviceCaps(reference.get(), BITSPIXEL) < 24) GTEST_SKIP() << "needs a true-colour screen";
  const testing::TestSheets sheets = testing::make_test_sheets();
  constexpr int kWidth = 320, kHeight = 200;
  // Two monitors of different heights, so that the per-monitor views are
  // exercised too.
  const std::vector<PixelRect> monitors = {{0, 0, 200, 200}, {200, 0, 120, 150}};
  for (const double colours : {256.0, 16777216.0}) {
    SCOPED_TRACE(colours);
    HeadlessSaver expected(kWidth, kHeight, sheets.sprite, sheets.mask, monitors);
    expected.start(MotionSettings{60, 50, 0, 0}, colours, 11);

    DibSurface copy = DibSurface::create(kWidth, kHeight);
    DibSurface work = DibSurface::create(kWidth, kHeight);
    ASSERT_TRUE(copy && work);
    const SoftwareSurface sprite = SoftwareSurface::from_image(sheets.sprite);
    const SoftwareSurface mask = SoftwareSurface::from_image(sheets.mask);
    FakeScreen screen(reference.get(), kWidth, kHeight);
    const CompositorSurfaces surfaces{copy, work, sprite, mask, screen.surface};
    SaverScene scene;
    scene.set_up(animation_areas({0, 0, kWidth, kHeight}, monitors), MotionSettings{60, 50, 0, 0},
                 colours, 11);
    for (int frame = 1; frame <= 150; ++frame) {
      expected.step();
      GdiFlush();
      scene.frame(surfaces);
      if (frame == 1) Animation::repaint(surfaces);  // the window's repaint after the first frame
    }
    EXPECT_TRUE(
        std::equal(work.pixels().begin(), work.pixels().end(), expected.work().pixels().begin()));
    const std::vector<std::uint32_t> shown = screen.pixels();
    int mismatches = 0;
    for (std::size_t i = 0; i < shown.size(); ++i) {
      if (shown[i] != expected.screen().pixels()[i] && ++mismatches <= 5) {
        ADD_FAILURE() << "pixel " << i % kWidth << "," << i / kWidth << ": shown " << std::hex
                      << shown[i] << ", expected " << expected.screen().pixels()[i];
      }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_NE(std::count(shown.begin(), shown.end(), 0u), std::ptrdiff_t(shown.size()));
  }
}

TEST(DibSurfaces, OwnersCountWhatTheyHoldAndMovesKeepIt) {
  const long before = live_gdi_objects();
  {
    DibSurface surface = DibSurface::create(8, 4);
    ASSERT_TRUE(surface);
    EXPECT_EQ(live_gdi_objects(), before + 2);  // its bitmap and its DC
    EXPECT_EQ(surface.pixel(3, 2), 0u);         // starts black
    DibSurface moved = std::move(surface);
    EXPECT_FALSE(surface);  // NOLINT(bugprone-use-after-move): checking the moved-from state
    EXPECT_EQ(surface.width(), 0);
    EXPECT_EQ(moved.width(), 8);
    moved.set_pixel(1, 1, 0x123456u);
    // GDI sees what the software surface wrote.
    GdiFlush();
    EXPECT_EQ(GetPixel(moved.dc(), 1, 1), RGB(0x12, 0x34, 0x56));
    DibSurface other = DibSurface::create(2, 2);
    other = std::move(moved);
    EXPECT_EQ(live_gdi_objects(), before + 2);
    const DibImage picture{2, 1, 8, false, {0x000000u, 0xFF8000u}, {0, 1}, {0, 0xFF8000u}};
    const UniquePalette palette = picture_palette(picture);
    EXPECT_NE(palette, nullptr);
    EXPECT_EQ(live_gdi_objects(), before + 3);
  }
  EXPECT_EQ(live_gdi_objects(), before);
  EXPECT_FALSE(DibSurface::create(0, 10));
  EXPECT_EQ(picture_palette(DibImage{}), nullptr);
}

}  // namespace
}  // namespace fizzlet::win32
