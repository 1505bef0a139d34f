// A screen shown through two buffers per area, composed straight into the
// frame that holds the free ones: what each frame gets before it is composed
// in, which frame is shown, what is damaged, and where the areas lie.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "engine_fixtures.h"
#include "saver/animation.h"
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

// One frame of the session: the buffers the compositor reads, places
// erased (copied over: the frame before is not needed there), places drawn
// on (combined with what the frame holds), a repaint (from the clean
// background) before or after, the frame shown and each area's damage
// (touching rectangles merged), top to bottom.
struct Step {
  std::array<bool, BufferedScreen::kBuffers> busy;
  Rects erased;
  Rects drawn;
  bool repaint_first = false;
  bool repaint_after = false;
  std::optional<std::size_t> shown;
  Rects damage[2];
};

// With a black background, or one of another colour than the frames' fresh
// memory (whose erases never find the memory holding them already).
class BufferedScreenOver : public ::testing::TestWithParam<std::uint32_t> {};
INSTANTIATE_TEST_SUITE_P(Backgrounds, BufferedScreenOver, ::testing::Values(0u, 0x204060u));

TEST_P(BufferedScreenOver, TheShownFrameIsAlwaysWholeAndOnlyChangesAreDamaged) {
  constexpr int kWidth = 30, kHeight = 10;
  const Rects areas = {{0, 0, 20, 10}, {20, 0, 10, 6}};
  const Rects whole = {{0, 0, 20, 10}, {0, 0, 10, 6}};
  const Step steps[] = {
      // Set-up: everything damaged once.
      {{false, false}, {}, {{2, 2, 4, 4}}, true, false, 0, {{whole[0]}, {whole[1]}}},
      // Across both areas, in the other frame, and on the first's change
      // (which it gets first).
      {{true, false}, {}, {{18, 1, 4, 2}, {3, 3, 1, 1}}, false, false, 1,
       {{{18, 1, 2, 2}, {3, 3, 1, 1}}, {{0, 1, 2, 2}}}},
      // Both read: composed aside, not shown; its change goes with the next.
      {{true, true}, {{2, 2, 2, 4}}, {{5, 5, 2, 2}}, false, false, std::nullopt, {}},
      {{false, true}, {{1, 1, 3, 3}}, {{25, 4, 3, 3}, {3, 2, 1, 1}}, false, false, 0,
       {{{1, 1, 3, 5}, {5, 5, 2, 2}}, {{5, 4, 3, 2}}}},
      // Nothing changed: nothing shown, and the frame stays the one to use.
      {{true, false}, {}, {}, false, false, std::nullopt, {}},
      {{false, false}, {{19, 0, 2, 3}}, {{0, 0, 1, 1}}, false, false, 1,
       {{{0, 0, 1, 1}, {19, 0, 1, 3}}, {{0, 0, 1, 3}}}},
      // A repaint after the frame was shown waits for the next frame.
      {{false, true}, {}, {{3, 3, 1, 1}}, false, true, 0, {{{3, 3, 1, 1}}, {}}},
      {{true, false}, {}, {}, false, false, 1, {{whole[0]}, {whole[1]}}},
      // Erased in one frame over part of a place drawn in the other: an
      // erase there in the rest of that place is still needed.
      {{false, true}, {}, {{10, 6, 4, 3}}, false, false, 0, {{{10, 6, 4, 3}}, {}}},
      {{true, false}, {{8, 6, 4, 3}}, {}, false, false, 1, {{{8, 6, 4, 3}}, {}}},
      {{false, true}, {{12, 6, 2, 3}}, {}, false, false, 0, {{{12, 6, 2, 3}}, {}}},
  };

  std::vector<std::uint32_t> memory(BufferedScreen::memory_pixels(kWidth, kHeight));
  BufferedScreen screen(kWidth, kHeight, areas, memory);
  // The frames, one after the other; each area's buffer starts in its row.
  EXPECT_EQ(memory.size(), 2u * kWidth * kHeight + kWidth);
  EXPECT_EQ(screen.buffer_start(1, 1), std::size_t(kWidth * kHeight + 20));
  const auto frame = [&](std::size_t i) {
    return std::span(memory).subspan(i * kWidth * kHeight, kWidth * kHeight);
  };
  const std::unique_ptr<SoftwareSurface> made = screen.work_surface();
  SoftwareSurface& work = *made;
  const SoftwareSurface background(kWidth, kHeight, GetParam());
  SoftwareSurface truth(kWidth, kHeight);
  const auto repaint = [&] {
    screen.bit_blt(0, 0, kWidth, kHeight, background, 0, 0, RasterOp::src_copy);
  };
  std::uint32_t colour = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(::testing::Message() << "step " << colour);
    const SoftwareSurface paint(kWidth, kHeight, ++colour);
    // The first output reads what the step says, the second nothing.
    screen.reading(0) = step.busy;
    screen.reading(1) = {};
    screen.begin_frame();
    if (step.repaint_first) repaint();
    const auto apply = [&](const Rects& rects, const SoftwareSurface& source, RasterOp op) {
      for (const PixelRect& r : rects) {
        work.bit_blt(r.left, r.top, r.width, r.height, source, r.left, r.top, op);
        truth.bit_blt(r.left, r.top, r.width, r.height, source, r.left, r.top, op);
      }
    };
    apply(step.erased, background, RasterOp::src_copy);
    apply(step.drawn, paint, RasterOp::src_paint);
    for (const Rects* rects : {&step.erased, &step.drawn}) {
      for (const PixelRect& r : *rects) {
        screen.bit_blt(r.left, r.top, r.width, r.height, work, r.left, r.top, RasterOp::src_copy);
      }
    }
    const std::optional<std::size_t> shown = screen.frame_to_show();
    ASSERT_EQ(shown, step.shown);
    if (!shown) continue;
    EXPECT_TRUE(screen.reading(1)[*shown]);
    EXPECT_TRUE(std::ranges::equal(frame(*shown), truth.pixels()));
    for (std::size_t area = 0; area < areas.size(); ++area) {
      Rects damage = screen.take_damage(area);
      std::sort(damage.begin(), damage.end(), [](const PixelRect& a, const PixelRect& b) {
        return std::pair(a.top, a.left) < std::pair(b.top, b.left);
      });
      EXPECT_EQ(damage, step.damage[area]);
    }
    if (step.repaint_after) repaint();
    EXPECT_FALSE(screen.frame_to_show());
  }
}

TEST(BufferedScreen, ManyChangesBecomeTheOneRectangleThatCoversThem) {
  const int width = int(BufferedScreen::kMaxRects + 1) * 20;
  std::vector<std::uint32_t> memory(BufferedScreen::memory_pixels(width, 10));
  const SoftwareSurface source(width, 10);
  BufferedScreen screen(width, 10, {{0, 0, width, 10}}, memory);
  for (int i = 0; i <= int(BufferedScreen::kMaxRects); ++i) {
    screen.bit_blt(i * 20, 0, 10, 10, source, 0, 0, RasterOp::src_copy);
  }
  EXPECT_EQ(screen.take_damage(0), (Rects{{0, 0, int(BufferedScreen::kMaxRects) * 20 + 10, 10}}));
}

// One area of width x height and the work surface, shown frame by frame.
struct OneArea {
  OneArea(int width, int height)
      : memory(BufferedScreen::memory_pixels(width, height)),
        screen(width, height, {{0, 0, width, height}}, memory),
        work(screen.work_surface()) {}
  // Composes a frame and shows all of it.  The window system holds the
  // buffer it shows until the next, or copies it at once.
  std::optional<std::size_t> show(auto&& compose, bool held = true) {
    screen.begin_frame();
    compose();
    screen.bit_blt(0, 0, screen.width(), screen.height(), *work, 0, 0, RasterOp::src_copy);
    const std::optional<std::size_t> shown = screen.frame_to_show();
    if (shown) screen.reading(0) = {held && *shown == 0, held && *shown == 1};
    return shown;
  }
  std::vector<std::uint32_t> memory;
  BufferedScreen screen;
  std::unique_ptr<SoftwareSurface> work;
};

// More erases in a frame than are kept one by one reach the other frame as
// one copy of what covers them.
TEST(BufferedScreen, ManyErasesInOneFrameReachTheOtherFrame) {
  const int width = int(BufferedScreen::kMaxRects + 1) * 2;
  OneArea area(width, 2);
  const std::unique_ptr<SoftwareSurface>& work = area.work;
  const std::vector<std::uint32_t>& memory = area.memory;
  const SoftwareSurface paint(width, 2, 7u), background(width, 2);
  area.show([&] { work->bit_blt(0, 0, width, 2, paint, 0, 0, RasterOp::src_paint); });
  area.show([&] {
    for (int x = 0; x < width; x += 2) {
      work->bit_blt(x, 0, 1, 2, background, x, 0, RasterOp::src_copy);
    }
  });
  const std::optional<std::size_t> shown =
      area.show([&] { work->bit_blt(width - 1, 1, 1, 1, paint, 0, 0, RasterOp::src_paint); });
  ASSERT_EQ(shown, std::optional<std::size_t>(0));
  for (int x = 0; x < width; ++x) {
    const std::uint32_t expected = x % 2 == 0 ? 0u : 7u;
    ASSERT_EQ(memory[std::size_t(x)], expected) << x;
    ASSERT_EQ(memory[std::size_t(width + x)], expected) << x;
  }
}

// A frame left behind (a compositor copied the other) lacks a drawing; an
// erase that reaches past it must still be made there.
TEST(BufferedScreen, AWriteOnlyPartlyInWhatAFrameLacksStillReachesIt) {
  OneArea area(8, 1);
  const SoftwareSurface paint(8, 1, 7u), background(8, 1, 0x204060u);
  area.show([&] { area.work->bit_blt(0, 0, 4, 1, paint, 0, 0, RasterOp::src_paint); }, false);
  area.show([&] { area.work->bit_blt(2, 0, 4, 1, background, 2, 0, RasterOp::src_copy); });
  ASSERT_EQ(area.show([] {}), std::optional<std::size_t>(1));
  const std::uint32_t b = 0x204060u;
  const std::vector<std::uint32_t> frame_1(area.memory.begin() + 8, area.memory.begin() + 16);
  EXPECT_EQ(frame_1, (std::vector<std::uint32_t>{7, 7, b, b, b, b, 0, 0}));
}

// The saver's own frames, which the frame composer writes straight into the
// work surface's memory: each frame shown must be the one a screen in memory
// gets, while the window system holds the buffer it shows until the next.
TEST(BufferedScreen, TheSaversFramesShowAsOnAScreenInMemory) {
  constexpr int kWidth = 300, kHeight = 200;
  const Rects areas = {{0, 0, 180, 200}, {180, 0, 120, 150}};
  const testing::TestSheets sheets = testing::make_test_sheets();
  const SoftwareSurface sprite = SoftwareSurface::from_image(sheets.sprite);
  const SoftwareSurface mask = SoftwareSurface::from_image(sheets.mask);
  const SoftwareSurface background(kWidth, kHeight);
  std::vector<std::uint32_t> memory(BufferedScreen::memory_pixels(kWidth, kHeight));
  BufferedScreen screen(kWidth, kHeight, areas, memory);
  const std::unique_ptr<SoftwareSurface> work = screen.work_surface();
  SoftwareSurface truth_work(kWidth, kHeight), truth(kWidth, kHeight);
  const CompositorSurfaces surfaces{background, *work, sprite, mask, screen};
  const CompositorSurfaces truth_surfaces{background, truth_work, sprite, mask, truth};
  SaverScene scene, truth_scene;
  for (SaverScene* s : {&scene, &truth_scene}) {
    s->set_up(areas, MotionSettings{60, 50, 0, 0}, 256, 5);
  }
  std::size_t last_shown = 0;
  for (int frame = 0; frame < 90; ++frame) {
    // The buffer shown is held until the next one is; from frame 40 a
    // compositor copies it at once (the other frame is left behind for
    // long); at frame 70 both are still read (the frame is composed in the
    // screen's own memory, left behind since the start).
    const bool copied = frame >= 40 && frame < 70, aside = frame == 70;
    for (std::size_t area = 0; area < areas.size(); ++area) {
      for (std::size_t i = 0; i < BufferedScreen::kBuffers; ++i) {
        screen.reading(area)[i] = aside || (!copied && i == last_shown);
      }
    }
    screen.begin_frame();
    scene.frame(surfaces);
    truth_scene.frame(truth_surfaces);
    const std::optional<std::size_t> shown = screen.frame_to_show();
    ASSERT_EQ(shown.has_value(), !aside) << "frame " << frame;
    if (aside) continue;
    last_shown = *shown;
    const auto pixels = std::span(memory).subspan(*shown * kWidth * kHeight, kWidth * kHeight);
    ASSERT_TRUE(std::ranges::equal(pixels, truth.pixels())) << "frame " << frame;
  }
}

}  // namespace
}  // namespace fizzlet
