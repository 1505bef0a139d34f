#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine_fixtures.h"
#include "saver/compositor.h"
#include "saver/motion.h"
#include "saver/software_surface.h"

namespace fizzlet {
namespace {

TEST(Compositor, RoundsHalvesToEven) {
  EXPECT_EQ(round_half_even(10.5), 10);
  EXPECT_EQ(round_half_even(11.5), 12);
  EXPECT_EQ(round_half_even(-0.5), 0);
  EXPECT_EQ(round_half_even(-1.5), -2);
  EXPECT_EQ(round_half_even(-2.5), -2);
  EXPECT_EQ(round_half_even(607.5), 608);
  EXPECT_EQ(round_half_even(2.4999999), 2);
  EXPECT_EQ(round_half_even(2.5000001), 3);
  EXPECT_EQ(round_half_even(-7.2), -7);
  EXPECT_EQ(round_half_even(-7.7), -8);
  EXPECT_EQ(round_half_even(std::nan("")), 0);
  EXPECT_EQ(round_half_even(1e20), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(round_half_even(-1e20), std::numeric_limits<std::int32_t>::min());
}

TEST(Compositor, UpdateRectangleCoversOldAndNewPosition) {
  // Not moved: exactly the cell rectangle.
  EXPECT_EQ(update_rect(10, 50, 10, 50, 32, 32), (UpdateRect{10, 50, 32, 32}));
  // Right by 3 and up by 2.
  EXPECT_EQ(update_rect(10, 50, 13, 48, 32, 32), (UpdateRect{10, 48, 36, 35}));
  // 10 -> 10.3 counts as moved right; 10 -> 10.0 does not.
  EXPECT_EQ(update_rect(10, 50, 10.3, 50, 32, 32), (UpdateRect{10, 50, 33, 32}));
  EXPECT_EQ(update_rect(10, 50, 10.0, 50, 32, 32), (UpdateRect{10, 50, 32, 32}));
  // Left to a half pixel: left is the rounded new position.
  EXPECT_EQ(update_rect(13, 50, 10.5, 50, 32, 32), (UpdateRect{10, 50, 36, 32}));
  // Down with a piece's own size.
  EXPECT_EQ(update_rect(100, 40, 100, 57.64, 75, 56), (UpdateRect{100, 40, 75, 75}));
  // A slot back in play after a long time spans from its stale position.
  EXPECT_EQ(update_rect(0, 0, 608, 447, 32, 32), (UpdateRect{0, 0, 641, 480}));
}

TEST(SoftwareSurface, RasterOperationsAreExact) {
  SoftwareSurface dst(4, 1, 0x00F0F00Fu);
  SoftwareSurface src(4, 1, 0x00FF00FFu);
  src.set_pixel(1, 0, 0x00123456u);
  dst.bit_blt(0, 0, 2, 1, src, 0, 0, RasterOp::src_and);
  EXPECT_EQ(dst.pixel(0, 0), 0x00F0000Fu);
  EXPECT_EQ(dst.pixel(1, 0), 0x00103006u);
  EXPECT_EQ(dst.pixel(2, 0), 0x00F0F00Fu);
  dst.bit_blt(2, 0, 2, 1, src, 0, 0, RasterOp::src_paint);
  EXPECT_EQ(dst.pixel(2, 0), 0x00FFF0FFu);
  EXPECT_EQ(dst.pixel(3, 0), 0x00F2F45Fu);
  dst.bit_blt(0, 0, 4, 1, src, 0, 0, RasterOp::src_copy);
  EXPECT_EQ(dst.pixel(1, 0), 0x00123456u);
  EXPECT_EQ(dst.pixel(3, 0), 0x00FF00FFu);

  // A single-colour surface is copied without being read; once something is
  // drawn into it, its real pixels count.
  SoftwareSurface plain(4, 1, 0x00000F0Fu);
  SoftwareSurface target(4, 1, 0x00FFFFFFu);
  EXPECT_TRUE(plain.uniform());
  target.bit_blt(0, 0, 4, 1, plain, 0, 0, RasterOp::src_and);
  EXPECT_EQ(target.pixel(2, 0), 0x00000F0Fu);
  plain.bit_blt(1, 0, 1, 1, src, 1, 0, RasterOp::src_copy);
  EXPECT_FALSE(plain.uniform());
  target.bit_blt(0, 0, 4, 1, plain, 0, 0, RasterOp::src_copy);
  EXPECT_EQ(target.pixel(0, 0), 0x00000F0Fu);
  EXPECT_EQ(target.pixel(1, 0), 0x00123456u);
  plain.fill(0x00ABCDEFu);
  EXPECT_TRUE(plain.uniform());
  target.bit_blt(0, 0, 4, 1, plain, 0, 0, RasterOp::src_paint);
  EXPECT_EQ(target.pixel(1, 0), 0x00BBFDFFu);
  // Within one surface, overlapping rows are read before they are written.
  SoftwareSurface strip(5, 1);
  for (int x = 0; x < 5; ++x) strip.set_pixel(x, 0, 1u << x);
  strip.bit_blt(1, 0, 4, 1, strip, 0, 0, RasterOp::src_paint);
  EXPECT_EQ(strip.pixel(4, 0), (1u << 4) | (1u << 3));
  strip.bit_blt(1, 0, 4, 1, strip, 0, 0, RasterOp::src_copy);
  EXPECT_EQ(strip.pixel(1, 0), 1u);
  EXPECT_EQ(strip.pixel(4, 0), (1u << 2) | (1u << 3));
}

TEST(SoftwareSurface, TransfersAreClippedAtBothSurfacesEdges) {
  SoftwareSurface src(8, 8);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) src.set_pixel(x, y, std::uint32_t(100 * y + x + 1));
  }
  // Hanging off the destination's top-left and bottom-right corners.
  SoftwareSurface dst(6, 6, 0xFFu);
  dst.bit_blt(-2, -3, 4, 5, src, 1, 1, RasterOp::src_copy);
  EXPECT_EQ(dst.pixel(0, 0), src.pixel(3, 4));
  EXPECT_EQ(dst.pixel(1, 1), src.pixel(4, 5));
  EXPECT_EQ(dst.pixel(2, 0), 0xFFu);
  EXPECT_EQ(dst.pixel(0, 2), 0xFFu);
  dst.fill(0xFFu);
  dst.bit_blt(4, 5, 10, 10, src, 0, 0, RasterOp::src_copy);
  EXPECT_EQ(dst.pixel(4, 5), src.pixel(0, 0));
  EXPECT_EQ(dst.pixel(5, 5), src.pixel(1, 0));
  EXPECT_EQ(dst.pixel(3, 5), 0xFFu);
  // Source rectangle sticking out of the source: only the overlap arrives.
  dst.fill(0xFFu);
  dst.bit_blt(0, 0, 6, 6, src, 5, -2, RasterOp::src_copy);
  EXPECT_EQ(dst.pixel(0, 2), src.pixel(5, 0));
  EXPECT_EQ(dst.pixel(2, 5), src.pixel(7, 3));
  EXPECT_EQ(dst.pixel(3, 2), 0xFFu);  // source x 8 is outside
  EXPECT_EQ(dst.pixel(0, 1), 0xFFu);  // source y -1 is outside
  // Nothing arrives for empty, negative or far-away rectangles.
  const std::vector<std::uint32_t> before(dst.pixels().begin(), dst.pixels().end());
  dst.bit_blt(0, 0, -4, 4, src, 0, 0, RasterOp::src_copy);
  dst.bit_blt(0, 0, 4, 0, src, 0, 0, RasterOp::src_copy);
  dst.bit_blt(100, 0, 4, 4, src, 0, 0, RasterOp::src_copy);
  dst.bit_blt(0, 0, 4, 4, src, -50, 0, RasterOp::src_copy);
  dst.bit_blt(std::numeric_limits<int>::max(), std::numeric_limits<int>::min(),
              std::numeric_limits<int>::max(), std::numeric_limits<int>::max(), src,
              std::numeric_limits<int>::min(), 0, RasterOp::src_copy);
  EXPECT_EQ(std::vector<std::uint32_t>(dst.pixels().begin(), dst.pixels().end()), before);
}

TEST(SoftwareSurface, OneBitPicturesBecomeBlackAndWhite) {
  DibImage mono;
  mono.width = 2;
  mono.height = 1;
  mono.bits_per_pixel = 1;
  mono.palette = {0x00000000u, 0x00FFFFFFu};
  mono.indices = {0, 1};
  mono.pixels = {0x000000u, 0xFFFFFFu};
  const SoftwareSurface s = SoftwareSurface::from_image(mono);
  EXPECT_EQ(s.pixel(0, 0), 0x000000u);
  EXPECT_EQ(s.pixel(1, 0), 0xFFFFFFu);
}

// Window-sized surfaces and the synthetic sheet, ready to composite.
struct Stage {
  explicit Stage(int w = 200, int h = 120)
      : copy(w, h), work(w, h), screen(w, h),
        sprite(SoftwareSurface::from_image(sheets.sprite)),
        mask(SoftwareSurface::from_image(sheets.mask)) {}
  CompositorSurfaces surfaces() { return {copy, work, sprite, mask, screen}; }
  testing::TestSheets sheets = testing::make_test_sheets();
  SoftwareSurface copy, work, screen, sprite, mask;
};

void show(Sprites& s, int slot, double x, double y, int cell) {
  s.sprite_state[slot] = kStateRolling;
  s.sprite_x[slot] = x;
  s.sprite_y[slot] = y;
  s.sprite_cell[slot] = cell;
}

TEST(Compositor, MaskPutsTheHigherSlotOnTopAdditiveModeCombinesColours) {
  for (const double colours : {256.0, 65536.0}) {
    SCOPED_TRACE(colours);
    Stage stage;
    Sprites s;
    init_sprites(s, colours);
    show(s, 1, 40, 40, 22);
    show(s, 2, 50, 44, 23);
    blit_new_sprites(s, stage.surfaces());
    const std::uint32_t a = testing::cell_colour(22), b = testing::cell_colour(23);
    // A pixel of each kernel away from the overlap, and one inside it.
    EXPECT_EQ(stage.work.pixel(44, 56), a);
    EXPECT_EQ(stage.work.pixel(76, 60), b);
    const std::uint32_t overlap = stage.work.pixel(62, 58);
    if (colours <= 256) {
      EXPECT_EQ(overlap, b);
    } else {
      EXPECT_EQ(overlap, a | b);
      EXPECT_NE(a | b, b);
    }
    // The black corners of a cell leave the background alone.
    EXPECT_EQ(stage.work.pixel(40, 40), 0u);
  }
}

TEST(Compositor, MaskDrawingKeepsANonBlackBackgroundAroundTheImage) {
  Stage stage;
  stage.work.fill(0x00204060u);
  Sprites s;
  init_sprites(s, 256);
  show(s, 1, 10, 10, 30);
  blit_new_sprites(s, stage.surfaces());
  EXPECT_EQ(stage.work.pixel(10, 10), 0x00204060u);  // corner: background shows through
  EXPECT_EQ(stage.work.pixel(26, 26), testing::cell_colour(30));
}

TEST(Compositor, EraseRestoresTheCleanBackgroundAndRecordsThePosition) {
  Stage stage;
  stage.copy.fill(0x00010203u);
  stage.work.fill(0x00FFFFFFu);
  Sprites s;
  init_sprites(s, 256);
  show(s, 3, 20.5, 30.5, 25);  // rounds to (20, 30)
  blit_old_sprites(s, stage.surfaces());
  EXPECT_EQ(s.sprite_old_x[3], 20);
  EXPECT_EQ(s.sprite_old_y[3], 30);
  EXPECT_EQ(stage.work.pixel(20, 30), 0x00010203u);
  EXPECT_EQ(stage.work.pixel(51, 61), 0x00010203u);
  EXPECT_EQ(stage.work.pixel(52, 61), 0x00FFFFFFu);
  EXPECT_EQ(stage.work.pixel(19, 30), 0x00FFFFFFu);
}

TEST(Compositor, PresentCopiesOnlyTheUpdateRectangles) {
  Stage stage;
  stage.work.fill(0x00AAAAAAu);
  Sprites s;
  init_sprites(s, 256);
  // Slot 1 moved from (10, 50) to (13, 48); slot 2 stood still.
  for (int slot : {1, 2}) {
    s.sprite_erased[slot] = 1;
    s.sprite_old_w[slot] = 32;
    s.sprite_old_h[slot] = 32;
  }
  show(s, 1, 13, 48, 22);
  s.sprite_old_x[1] = 10;
  s.sprite_old_y[1] = 50;
  show(s, 2, 150, 20, 23);
  s.sprite_old_x[2] = 150;
  s.sprite_old_y[2] = 20;
  // Slot 3 came into play this frame (the erase step did not see it): only
  // its new place is shown, not a span from its stale old position.
  show(s, 3, 100.5, 80, 22);
  s.sprite_old_x[3] = 0;
  s.sprite_old_y[3] = 0;
  blit_flicker_free(s, stage.surfaces());
  int copied = 0;
  for (int y = 0; y < stage.screen.height(); ++y) {
    for (int x = 0; x < stage.screen.width(); ++x) {
      const bool in1 = x >= 10 && x < 46 && y >= 48 && y < 83;
      const bool in2 = x >= 150 && x < 182 && y >= 20 && y < 52;
      const bool in3 = x >= 100 && x < 132 && y >= 80 && y < 112;
      const bool got = stage.screen.pixel(x, y) != 0;
      EXPECT_EQ(got, in1 || in2 || in3) << x << "," << y;
      copied += got;
      if (::testing::Test::HasFailure()) return;
    }
  }
  EXPECT_EQ(copied, 36 * 35 + 32 * 32 + 32 * 32);
}

TEST(Compositor, SlotOutOfPlayIsNeitherErasedDrawnNorPresented) {
  Stage stage;
  stage.copy.fill(0x00000001u);
  stage.work.fill(0x00000002u);
  stage.screen.fill(0x00000003u);
  Sprites s;
  init_sprites(s, 256);
  s.sprite_x[5] = 30;
  s.sprite_y[5] = 30;
  s.sprite_cell[5] = 1;
  s.sprite_old_x[5] = 7;
  s.sprite_old_y[5] = 9;
  const auto work_before = std::vector<std::uint32_t>(stage.work.pixels().begin(), stage.work.pixels().end());
  blit_old_sprites(s, stage.surfaces());
  blit_new_sprites(s, stage.surfaces());
  blit_flicker_free(s, stage.surfaces());
  EXPECT_EQ(std::vector<std::uint32_t>(stage.work.pixels().begin(), stage.work.pixels().end()),
            work_before);
  for (std::uint32_t p : stage.screen.pixels()) ASSERT_EQ(p, 0x00000003u);
  EXPECT_EQ(s.sprite_old_x[5], 7);
  EXPECT_EQ(s.sprite_old_y[5], 9);
}

TEST(Compositor, NothingStaysBehindWhenAPieceLeavesOrACellShrinks) {
  // On a tall screen a falling piece moves more than the 30-pixel margin in
  // one frame: it is drawn partly visible, then taken out of play.
  Stage stage(300, 200);
  Sprites s;
  init_sprites(s, 65536);
  const MotionSettings m{1, 10, 300, 200};
  s.sprite_state[1] = kStatePopped;
  s.sprite_cell[1] = 1;  // 75 x 56
  s.sprite_x[1] = 100;
  s.sprite_y[1] = 180;
  s.sprite_dy[1] = 60;
  const CompositorSurfaces surfaces = stage.surfaces();
  blit_new_sprites(s, surfaces);
  stage.screen.bit_blt(0, 0, 300, 200, stage.work, 0, 0, RasterOp::src_copy);
  ASSERT_NE(stage.screen.pixel(137, 195), 0u);

  testing::ScriptedRandom random;
  blit_old_sprites(s, surfaces);
  move_sprites(s, m, random);
  ASSERT_EQ(s.sprite_state[1], kStateOff);
  blit_new_sprites(s, surfaces);
  blit_flicker_free(s, surfaces);
  for (std::uint32_t p : stage.screen.pixels()) ASSERT_EQ(p, 0u);

  // A kernel popping into a piece narrower than itself (cell 20 is 26 wide):
  // the columns of the kernel outside the piece's rectangle are wiped too.
  Sprites k;
  init_sprites(k, 256);
  stage.work.fill(0);
  stage.screen.fill(0);
  k.sprite_state[1] = kStateHopping;
  k.sprite_seq[1] = kSeqRollRight;
  k.sprite_cell[1] = 30;
  k.sprite_x[1] = 100;
  k.sprite_y[1] = 100;
  k.sprite_gravity[1] = 200.0 / 850;
  k.sprite_dy[1] = -3;
  blit_new_sprites(k, surfaces);
  stage.screen.bit_blt(0, 0, 300, 200, stage.work, 0, 0, RasterOp::src_copy);
  ASSERT_NE(stage.screen.pixel(129, 116), 0u);
  random.then(500, 1).then(21, 20).then(20, 10).then(200.0 / 60, 1);
  blit_old_sprites(k, surfaces);
  move_sprites(k, MotionSettings{1, 50, 300, 200}, random);
  ASSERT_EQ(k.sprite_state[1], kStatePopped);
  ASSERT_EQ(k.sprite_cell[1], 20);
  blit_new_sprites(k, surfaces);
  blit_flicker_free(k, surfaces);
  EXPECT_TRUE(std::equal(stage.screen.pixels().begin(), stage.screen.pixels().end(),
                         stage.work.pixels().begin()));
  EXPECT_EQ(stage.screen.pixel(129, 116), 0u);

  // Next frame the slot is off before the erase: nothing is touched.
  stage.screen.fill(0x00000005u);
  blit_old_sprites(s, surfaces);
  blit_flicker_free(s, surfaces);
  for (std::uint32_t p : stage.screen.pixels()) ASSERT_EQ(p, 0x00000005u);
}

// After every frame of a long seeded run the screen shows each kernel in play
// exactly as the work surface does, and nothing is left behind anywhere.
void check_screen_follows_work(int w, int h, double colours, std::uint64_t seed, int frames) {
  SCOPED_TRACE(::testing::Message() << w << "x" << h << " colours " << colours);
  Stage stage(w, h);
  Sprites s;
  init_sprites(s, colours);
  SeededRandom random(seed);
  const MotionSettings m{100, 50, w, h};
  const CompositorSurfaces surfaces = stage.surfaces();
  for (int frame = 0; frame < frames; ++frame) {
    blit_old_sprites(s, surfaces);
    move_sprites(s, m, random);
    blit_new_sprites(s, surfaces);
    blit_flicker_free(s, surfaces);
    for (int slot = 1; slot <= 100; ++slot) {
      if (s.sprite_state[slot] == kStateOff) continue;
      const auto& cell = s.sheet_cells[s.sprite_cell[slot]];
      const int x0 = round_half_even(s.sprite_x[slot]), y0 = round_half_even(s.sprite_y[slot]);
      const int left = std::max(x0, 0), right = std::min(x0 + cell[kCellWidth], w);
      for (int y = std::max(y0, 0); y < std::min(y0 + cell[kCellHeight], h) && left < right;
           ++y) {
        const auto shown = stage.screen.row(y).subspan(std::size_t(left), std::size_t(right - left));
        const auto composed = stage.work.row(y).subspan(std::size_t(left), std::size_t(right - left));
        ASSERT_TRUE(std::equal(shown.begin(), shown.end(), composed.begin()))
            << "frame " << frame << " slot " << slot << " row " << y;
      }
    }
    if (frame % 25 == 0 || frame == frames - 1) {
      ASSERT_TRUE(std::equal(stage.screen.pixels().begin(), stage.screen.pixels().end(),
                             stage.work.pixels().begin()))
          << "frame " << frame;
    }
  }
}

TEST(Compositor, ScreenFollowsTheWorkSurfaceOverLongRuns) {
  check_screen_follows_work(640, 480, 256, 21, 1000);
  check_screen_follows_work(640, 480, 4294967296.0, 22, 1000);
  check_screen_follows_work(1024, 768, 256, 23, 1000);
}

}  // namespace
}  // namespace fizzlet
