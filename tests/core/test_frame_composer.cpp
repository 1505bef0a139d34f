// The frame composer carries out a frame's transfers straight on software
// surfaces: every frame must come out exactly as the step-by-step transfers
// through the Surface interface make it.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine_fixtures.h"
#include "saver/animation.h"
#include "saver/screen_areas.h"

namespace fizzlet {
namespace {

bool same_pixels(const SoftwareSurface& a, const SoftwareSurface& b) {
  return std::equal(a.pixels().begin(), a.pixels().end(), b.pixels().begin(), b.pixels().end());
}

// The mask one column wider than the sheet (white there, which changes
// nothing as no cell reaches it): the composer leaves sheets of two sizes to
// the step-by-step transfers.
SoftwareSurface mask_surface(const testing::TestSheets& sheets, bool wider) {
  const SoftwareSurface mask = SoftwareSurface::from_image(sheets.mask);
  if (!wider) return mask;
  SoftwareSurface padded(mask.width() + 1, mask.height(), 0x00FFFFFFu);
  padded.bit_blt(0, 0, mask.width(), mask.height(), mask, 0, 0, RasterOp::src_copy);
  return padded;
}

// One window's surfaces and scene.  Seen through a view (SurfaceArea), the
// screen is no software surface, as a host's screen is not.
struct Window {
  Window(const testing::TestSheets& sheets, std::uint32_t background, bool stepwise,
         bool screen_as_view)
      : copy(kWidth, kHeight, background),
        work(kWidth, kHeight),
        screen(kWidth, kHeight),
        sprite(SoftwareSurface::from_image(sheets.sprite)),
        mask(mask_surface(sheets, stepwise)),
        screen_view(screen, {0, 0, kWidth, kHeight}),
        surfaces{copy, work, sprite, mask,
                 screen_as_view ? static_cast<Surface&>(screen_view) : screen} {}
  static constexpr int kWidth = 360;
  static constexpr int kHeight = 240;
  SoftwareSurface copy, work, screen, sprite, mask;
  SurfaceArea screen_view;
  CompositorSurfaces surfaces;
  SaverScene scene;
};

TEST(FrameComposer, EveryFrameAsTheStepByStepTransfersMakeIt) {
  const testing::TestSheets sheets = testing::make_test_sheets();
  struct Case {
    const char* name;
    std::vector<PixelRect> areas;
    double colours;
    std::uint32_t background;
    bool screen_in_memory;
  };
  const std::vector<PixelRect> one{{0, 0, Window::kWidth, Window::kHeight}};
  // Monitors that overlap, and one that reaches past the window's edge.
  const std::vector<PixelRect> overlapping{{0, 0, 200, 240}, {150, 40, 210, 200}};
  const std::vector<PixelRect> cut{{-30, 20, 260, 240}, {230, 0, 200, 180}};
  const std::vector<Case> cases{
      {"one area, through the mask", one, 256, 0, true},
      {"one area, additive", one, 65536, 0, true},
      {"overlapping areas, patterned background", overlapping, 256, 0x00202020u, true},
      {"overlapping areas, screen not in memory", overlapping, 65536, 0, false},
      {"areas past the edges, patterned background", cut, 256, 0x00103050u, true},
  };
  for (const Case& c : cases) {
    Window direct(sheets, c.background, false, !c.screen_in_memory);
    Window stepwise(sheets, c.background, true, !c.screen_in_memory);
    for (Window* w : {&direct, &stepwise}) {
      // A background of more than one colour is read, not filled.
      for (int y = 0; y < Window::kHeight && c.background != 0; y += 3) {
        for (int x = y % 7; x < Window::kWidth; x += 5) w->copy.set_pixel(x, y, c.background * 3);
      }
      w->scene.set_up(c.areas, MotionSettings{80, 50, 0, 0}, c.colours, 11);
      w->work.bit_blt(0, 0, Window::kWidth, Window::kHeight, w->copy, 0, 0, RasterOp::src_copy);
    }
    for (int frame = 0; frame < 150; ++frame) {
      direct.scene.frame(direct.surfaces);
      stepwise.scene.frame(stepwise.surfaces);
      ASSERT_TRUE(same_pixels(direct.work, stepwise.work)) << c.name << ", frame " << frame;
      ASSERT_TRUE(same_pixels(direct.screen, stepwise.screen)) << c.name << ", frame " << frame;
    }
    EXPECT_FALSE(direct.work.uniform()) << c.name;
  }
}

}  // namespace
}  // namespace fizzlet
