// A screen shown through two buffers per area: what each buffer lacks, what
// changed since the buffer before, and where the areas lie.

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "saver/buffered_screen.h"
#include "saver/software_surface.h"

namespace fizzlet {
namespace {

using Rects = std::vector<PixelRect>;

TEST(BufferedScreen, AreasSideBySideAndTheScreenThatHoldsThem) {
  const Rects sizes = {{0, 0, 1280, 720}, {0, 0, 3840, 2160}, {0, 0, 800, 600}};
  const Rects placed = side_by_side(sizes);
  EXPECT_EQ(placed, (Rects{{0, 0, 1280, 720}, {1280, 0, 3840, 2160}, {5120, 0, 800, 600}}));
  EXPECT_EQ(covering(placed), (PixelRect{0, 0, 5920, 2160}));
  EXPECT_EQ(covering(Rects{}), (PixelRect{}));
}

TEST(BufferedScreen, EachBufferGetsWhatItLacksAndDamagesOnlyWhatChanged) {
  const SoftwareSurface frame(300, 100);
  BufferedScreen screen(300, 100, {{0, 0, 200, 100}, {200, 0, 100, 50}});
  const auto draw = [&](PixelRect r) {
    screen.bit_blt(r.left, r.top, r.width, r.height, frame, 0, 0, RasterOp::src_copy);
  };
  draw({190, 40, 20, 20});  // across both areas; below the second one's bottom in part
  draw({195, 45, 5, 5});    // inside the first change: nothing new
  EXPECT_TRUE(screen.changed(0));
  EXPECT_TRUE(screen.changed(1));
  BufferUpdate update = screen.take_update(1, 0);
  EXPECT_EQ(update.copy, (Rects{{0, 40, 10, 10}}));
  EXPECT_EQ(update.damage, update.copy);
  EXPECT_FALSE(screen.changed(1));

  // The first area's buffers in turn; a frame that finds both busy is
  // skipped, so its change waits and goes with the next one.
  update = screen.take_update(0, 0);
  EXPECT_EQ(update.copy, (Rects{{190, 40, 10, 20}}));
  draw({0, 0, 10, 10});
  draw({0, 90, 10, 10});
  update = screen.take_update(0, 1);
  EXPECT_EQ(update.damage, (Rects{{0, 0, 10, 10}, {0, 90, 10, 10}}));
  EXPECT_EQ(update.copy, (Rects{{190, 40, 10, 20}, {0, 0, 10, 10}, {0, 90, 10, 10}}));
  draw({50, 50, 10, 10});
  update = screen.take_update(0, 0);
  EXPECT_EQ(update.damage, (Rects{{50, 50, 10, 10}}));
  EXPECT_EQ(update.copy, (Rects{{0, 0, 10, 10}, {0, 90, 10, 10}, {50, 50, 10, 10}}));
  EXPECT_FALSE(screen.changed(0));
}

TEST(BufferedScreen, AFreeBufferIsFilledFromTheFrameWhileBusyOnesSkipIt) {
  SoftwareSurface frame(300, 100);
  frame.set_pixel(205, 45, 0xC08020);
  BufferedScreen screen(300, 100, {{0, 0, 200, 100}, {200, 0, 100, 50}});
  std::array<SoftwareSurface, BufferedScreen::kBuffers> buffers = {SoftwareSurface(100, 50),
                                                                   SoftwareSurface(100, 50)};
  screen.bit_blt(200, 40, 10, 10, frame, 200, 40, RasterOp::src_copy);
  EXPECT_FALSE(screen.fill_free_buffer(1, frame, buffers, std::array{true, true}));
  EXPECT_TRUE(screen.changed(1));
  const auto filled = screen.fill_free_buffer(1, frame, buffers, std::array{true, false});
  ASSERT_TRUE(filled);
  EXPECT_EQ(filled->buffer, 1u);
  EXPECT_EQ(filled->damage, (Rects{{0, 40, 10, 10}}));
  EXPECT_EQ(buffers[1].pixel(5, 45), 0xC08020u);
  EXPECT_EQ(buffers[0].pixel(5, 45), 0u);
  EXPECT_FALSE(screen.fill_free_buffer(1, frame, buffers, std::array{false, false}));
}

TEST(BufferedScreen, ManyChangesBecomeTheOneRectangleThatCoversThem) {
  const int width = int(BufferedScreen::kMaxRects + 1) * 20;
  const SoftwareSurface frame(width, 10);
  BufferedScreen screen(width, 10, {{0, 0, width, 10}});
  for (int i = 0; i <= int(BufferedScreen::kMaxRects); ++i) {
    screen.bit_blt(i * 20, 0, 10, 10, frame, 0, 0, RasterOp::src_copy);
  }
  EXPECT_EQ(screen.take_update(0, 0).damage,
            (Rects{{0, 0, int(BufferedScreen::kMaxRects) * 20 + 10, 10}}));
}

}  // namespace
}  // namespace fizzlet
