#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine_fixtures.h"
#include "saver/animation.h"
#include "saver/compositor.h"
#include "saver/motion.h"
#include "saver/software_surface.h"

namespace fizzlet {
namespace {

constexpr int kMaxInt = std::numeric_limits<int>::max();
constexpr int kMinInt = std::numeric_limits<int>::min();

std::vector<std::uint32_t> all(const SoftwareSurface& s) {
  return {s.pixels().begin(), s.pixels().end()};
}

TEST(Compositor, RoundsHalvesToEvenWithinTheIntegerRange) {
  const std::pair<double, std::int32_t> cases[] = {
      {10.5, 10},      {11.5, 12},  {-0.5, 0},      {-1.5, -2},      {-2.5, -2},
      {607.5, 608},    {2.4999999, 2}, {2.5000001, 3}, {-7.7, -8},   {std::nan(""), 0},
      {1e20, kMaxInt}, {-1e20, kMinInt}};
  for (const auto& [value, rounded] : cases) EXPECT_EQ(round_half_even(value), rounded) << value;
}

TEST(Compositor, UpdateRectangleCoversOldAndNewPosition) {
  EXPECT_EQ(update_rect(10, 50, 10, 50, 32, 32), (PixelRect{10, 50, 32, 32}));  // not moved
  EXPECT_EQ(update_rect(10, 50, 13, 48, 32, 32), (PixelRect{10, 48, 36, 35}));
  // 10 -> 10.3 counts as moved right; 10 -> 10.0 does not.
  EXPECT_EQ(update_rect(10, 50, 10.3, 50, 32, 32), (PixelRect{10, 50, 33, 32}));
  EXPECT_EQ(update_rect(10, 50, 10.0, 50, 32, 32), (PixelRect{10, 50, 32, 32}));
  // Left to a half pixel: left is the rounded new position.
  EXPECT_EQ(update_rect(13, 50, 10.5, 50, 32, 32), (PixelRect{10, 50, 36, 32}));
  EXPECT_EQ(update_rect(100, 40, 100, 57.64, 75, 56), (PixelRect{100, 40, 75, 75}));
}

TEST(SoftwareSurface, RasterOperationsAreExact) {
  SoftwareSurface dst(4, 1, 0x00F0F00Fu);
  SoftwareSurface src(4, 1, 0x00FF00FFu);
  src.set_pixel(1, 0, 0x00123456u);
  dst.bit_blt(0, 0, 2, 1, src, 0, 0, RasterOp::src_and);
  dst.bit_blt(2, 0, 2, 1, src, 0, 0, RasterOp::src_paint);
  EXPECT_EQ(all(dst), (std::vector<std::uint32_t>{0xF0000F, 0x103006, 0xFFF0FF, 0xF2F45F}));
  dst.bit_blt(1, 0, 2, 1, src, 0, 0, RasterOp::src_copy);
  EXPECT_EQ(all(dst), (std::vector<std::uint32_t>{0xF0000F, 0xFF00FF, 0x123456, 0xF2F45F}));

  // A single-colour surface is used without being read; once something is
  // drawn into it, its real pixels count.
  SoftwareSurface plain(4, 1, 0x00000F0Fu);
  SoftwareSurface target(4, 1, 0x00FFFFFFu);
  target.bit_blt(0, 0, 4, 1, plain, 0, 0, RasterOp::src_and);
  EXPECT_EQ(target.pixel(2, 0), 0x00000F0Fu);
  plain.bit_blt(1, 0, 1, 1, src, 1, 0, RasterOp::src_copy);
  EXPECT_FALSE(plain.uniform());
  target.bit_blt(0, 0, 4, 1, plain, 0, 0, RasterOp::src_copy);
  EXPECT_EQ(all(target), (std::vector<std::uint32_t>{0xF0F, 0x123456, 0xF0F, 0xF0F}));
  plain.fill(0x00ABCDEFu);
  target.bit_blt(0, 0, 4, 1, plain, 0, 0, RasterOp::src_paint);
  EXPECT_EQ(target.pixel(1, 0), 0x00BBFDFFu);

  // Within one surface, overlapping pixels are read before they are written.
  SoftwareSurface strip(5, 1);
  for (int x = 0; x < 5; ++x) strip.set_pixel(x, 0, 1u << x);
  strip.bit_blt(1, 0, 4, 1, strip, 0, 0, RasterOp::src_paint);
  EXPECT_EQ(all(strip), (std::vector<std::uint32_t>{1, 3, 6, 12, 24}));
  strip.bit_blt(1, 0, 4, 1, strip, 0, 0, RasterOp::src_copy);
  EXPECT_EQ(all(strip), (std::vector<std::uint32_t>{1, 1, 3, 6, 12}));
  // The same down and up a column: the rows go in the order that reads each first.
  SoftwareSurface column(1, 5);
  for (int y = 0; y < 5; ++y) column.set_pixel(0, y, 1u << y);
  column.bit_blt(0, 1, 1, 4, column, 0, 0, RasterOp::src_copy);
  EXPECT_EQ(all(column), (std::vector<std::uint32_t>{1, 1, 2, 4, 8}));
  column.bit_blt(0, 0, 1, 4, column, 0, 1, RasterOp::src_copy);
  EXPECT_EQ(all(column), (std::vector<std::uint32_t>{1, 2, 4, 8, 8}));

  // A 1-bit picture becomes black and white whatever its palette says.
  DibImage mono{2, 1, 1, false, {0x000000u, 0x808080u}, {0, 1}, {0x000000u, 0x808080u}};
  EXPECT_EQ(all(SoftwareSurface::from_image(mono)), (std::vector<std::uint32_t>{0, 0xFFFFFF}));
}

// A surface over memory its host owns draws straight into that memory;
// copies own their pixels, and memory too small for the size gives nothing.
TEST(SoftwareSurface, WorksOnPixelsItsHostOwns) {
  std::vector<std::uint32_t> memory(12, 0);
  SoftwareSurface over = SoftwareSurface::over(memory, 4, 3);
  ASSERT_EQ(over.width(), 4);
  EXPECT_FALSE(over.owns_pixels());
  EXPECT_EQ(over.pixels().data(), memory.data());
  over.bit_blt(1, 1, 2, 1, SoftwareSurface(2, 1, 0x00ABCDEFu), 0, 0, RasterOp::src_copy);
  EXPECT_EQ(memory[5], 0x00ABCDEFu);
  EXPECT_EQ(memory[6], 0x00ABCDEFu);

  SoftwareSurface copy = over;
  EXPECT_TRUE(copy.owns_pixels());
  copy.set_pixel(0, 0, 7);
  EXPECT_EQ(memory[0], 0u);
  EXPECT_EQ(copy.pixel(1, 1), 0x00ABCDEFu);

  SoftwareSurface moved = std::move(over);
  EXPECT_EQ(moved.pixels().data(), memory.data());
  EXPECT_EQ(over.width(), 0);  // NOLINT(bugprone-use-after-move): moved-from is empty
  EXPECT_EQ(SoftwareSurface::over(memory, 4, 4).width(), 0);
  EXPECT_EQ(SoftwareSurface::over(memory, -1, 3).width(), 0);
  // Memory known to be one colour is not read.
  const SoftwareSurface black = SoftwareSurface::over(memory, 4, 3, 0u);
  SoftwareSurface target(4, 3, 0x00FFFFFFu);
  target.bit_blt(0, 0, 4, 3, black, 0, 0, RasterOp::src_copy);
  EXPECT_EQ(all(target), std::vector<std::uint32_t>(12, 0u));
}

TEST(SoftwareSurface, TransfersAreClippedAtBothSurfacesEdges) {
  SoftwareSurface src(8, 8);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) src.set_pixel(x, y, std::uint32_t(100 * y + x + 1));
  }
  // Off the destination's top-left corner, then its bottom-right corner.
  SoftwareSurface dst(6, 6, 0xFFu);
  dst.bit_blt(-2, -3, 4, 5, src, 1, 1, RasterOp::src_copy);
  EXPECT_EQ(dst.pixel(0, 0), src.pixel(3, 4));
  EXPECT_EQ(dst.pixel(1, 1), src.pixel(4, 5));
  EXPECT_EQ(dst.pixel(2, 0), 0xFFu);
  EXPECT_EQ(dst.pixel(0, 2), 0xFFu);
  dst.fill(0xFFu);
  dst.bit_blt(4, 5, 10, 10, src, 0, 0, RasterOp::src_copy);
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
  const auto before = all(dst);
  dst.bit_blt(0, 0, -4, 4, src, 0, 0, RasterOp::src_copy);
  dst.bit_blt(0, 0, 4, 0, src, 0, 0, RasterOp::src_copy);
  dst.bit_blt(100, 0, 4, 4, src, 0, 0, RasterOp::src_copy);
  dst.bit_blt(0, 0, 4, 4, src, -50, 0, RasterOp::src_copy);
  dst.bit_blt(kMaxInt, kMinInt, kMaxInt, kMaxInt, src, kMinInt, 0, RasterOp::src_copy);
  EXPECT_EQ(all(dst), before);
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

void show(Sprites& s, int slot, double x, double y, int cell, std::int32_t state = kStateRolling) {
  s.sprite_state[slot] = state;
  s.sprite_x[slot] = x;
  s.sprite_y[slot] = y;
  s.sprite_cell[slot] = cell;
}

TEST(Compositor, MaskPutsTheHigherSlotOnTopAdditiveModeCombinesColours) {
  for (const double colours : {256.0, 65536.0}) {
    SCOPED_TRACE(colours);
    Stage stage;
    stage.work.fill(0x00000100u);  // a background that is not quite black
    Sprites s;
    init_sprites(s, colours);
    show(s, 1, 40, 40, 22);
    show(s, 2, 50, 44, 23);
    blit_new_sprites(s, stage.surfaces());
    const std::uint32_t a = testing::cell_colour(22), b = testing::cell_colour(23);
    const bool masked = colours <= 256;
    // A pixel of each kernel away from the overlap, and one inside it.
    EXPECT_EQ(stage.work.pixel(44, 56), masked ? a : a | 0x100);
    EXPECT_EQ(stage.work.pixel(76, 60), masked ? b : b | 0x100);
    EXPECT_EQ(stage.work.pixel(62, 58), masked ? b : a | b | 0x100);
    // The black corners of a cell leave the background alone.
    EXPECT_EQ(stage.work.pixel(40, 40), 0x00000100u);
  }
}

TEST(Compositor, EraseRestoresTheCleanBackgroundAndRecordsThePlace) {
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
  stage.copy.fill(0x00AAAAAAu);
  stage.work.fill(0x00AAAAAAu);
  Sprites s;
  init_sprites(s, 256);
  // Slot 1 moved from (10, 50) to (13, 48); slot 2 stood still at (150, 20).
  show(s, 1, 10, 50, 22);
  show(s, 2, 150, 20, 23);
  blit_old_sprites(s, stage.surfaces());
  show(s, 1, 13, 48, 22);
  // Slot 3 came into play this frame (the erase step did not see it): only
  // its new place is shown, not a span from its stale old position (0, 0).
  show(s, 3, 100.5, 80, 22);
  blit_flicker_free(s, stage.surfaces());
  int copied = 0;
  for (int y = 0; y < stage.screen.height(); ++y) {
    for (int x = 0; x < stage.screen.width(); ++x) {
      const bool in1 = x >= 10 && x < 46 && y >= 48 && y < 83;
      const bool in2 = x >= 150 && x < 182 && y >= 20 && y < 52;
      const bool in3 = x >= 100 && x < 132 && y >= 80 && y < 112;
      const bool got = stage.screen.pixel(x, y) != 0;
      ASSERT_EQ(got, in1 || in2 || in3) << x << "," << y;
      copied += got;
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
  show(s, 5, 30, 30, 1, kStateOff);
  s.sprite_old_x[5] = 7;
  s.sprite_old_y[5] = 9;
  blit_old_sprites(s, stage.surfaces());
  blit_new_sprites(s, stage.surfaces());
  blit_flicker_free(s, stage.surfaces());
  EXPECT_EQ(all(stage.work), std::vector<std::uint32_t>(stage.work.pixels().size(), 2));
  EXPECT_EQ(all(stage.screen), std::vector<std::uint32_t>(stage.screen.pixels().size(), 3));
  EXPECT_EQ(s.sprite_old_x[5], 7);
  EXPECT_EQ(s.sprite_old_y[5], 9);
}

// One frame as the saver runs it.
void frame(Sprites& s, const CompositorSurfaces& surfaces, const MotionSettings& m,
           RandomSource& random) {
  blit_old_sprites(s, surfaces);
  move_sprites(s, m, random);
  blit_new_sprites(s, surfaces);
  blit_flicker_free(s, surfaces);
}

TEST(Compositor, NothingStaysBehindWhenAPieceLeavesOrACellShrinks) {
  Stage stage(300, 200);
  const CompositorSurfaces surfaces = stage.surfaces();
  testing::ScriptedRandom random;
  // A falling piece on a tall screen moves more than the 30-pixel margin in
  // one frame: drawn partly visible, then taken out of play.
  Sprites s;
  init_sprites(s, 65536);
  show(s, 1, 100, 180, 1, kStatePopped);  // cell 1: 75 x 56
  s.sprite_dy[1] = 60;
  blit_new_sprites(s, surfaces);
  Animation::repaint({stage.work, stage.work, stage.sprite, stage.mask, stage.screen});
  ASSERT_NE(stage.screen.pixel(137, 195), 0u);
  frame(s, surfaces, MotionSettings{1, 10, 300, 200}, random);
  ASSERT_EQ(s.sprite_state[1], kStateOff);
  EXPECT_EQ(all(stage.screen), all(stage.work));
  EXPECT_EQ(stage.screen.pixel(137, 195), 0u);

  // A kernel popping into a piece narrower than itself (cell 20 is 26 wide):
  // its columns outside the piece's rectangle are wiped too.
  init_sprites(s, 256);
  show(s, 1, 100, 100, 30, kStateHopping);
  s.sprite_seq[1] = kSeqRollRight;
  s.sprite_dy[1] = -3;
  blit_new_sprites(s, surfaces);
  Animation::repaint({stage.work, stage.work, stage.sprite, stage.mask, stage.screen});
  ASSERT_NE(stage.screen.pixel(129, 116), 0u);
  random.then(500, 1).then(21, 20).then(20, 10).then(200.0 / 60, 1);
  frame(s, surfaces, MotionSettings{1, 50, 300, 200}, random);
  ASSERT_EQ(s.sprite_cell[1], 20);
  EXPECT_EQ(all(stage.screen), all(stage.work));
}

// After every frame of a long seeded run, the screen shows exactly the
// composed frame: every kernel in play, and nothing left behind anywhere.
TEST(Compositor, ScreenFollowsTheWorkSurfaceOverLongRuns) {
  for (const auto& [w, h, colours] :
       {std::tuple{640, 480, 256.0}, std::tuple{640, 480, 4294967296.0},
        std::tuple{1024, 768, 256.0}}) {
    SCOPED_TRACE(::testing::Message() << w << "x" << h << " colours " << colours);
    Stage stage(w, h);
    Sprites s;
    init_sprites(s, colours);
    SeededRandom random(std::uint64_t(w + colours));
    for (int f = 0; f < 1000; ++f) {
      frame(s, stage.surfaces(), MotionSettings{100, 50, w, h}, random);
      ASSERT_TRUE(std::equal(stage.screen.pixels().begin(), stage.screen.pixels().end(),
                             stage.work.pixels().begin()))
          << "frame " << f;
    }
  }
}

}  // namespace
}  // namespace fizzlet
