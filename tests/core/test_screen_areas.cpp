// Several monitors under one saver window: which rectangles get an animation
// of their own, how a view confines drawing to one of them, and the scene
// that runs one animation per monitor and keeps them between windows.

#include <gtest/gtest.h>

#include <vector>

#include "engine_fixtures.h"
#include "saver/animation.h"
#include "saver/screen_areas.h"

namespace fizzlet {
namespace {

TEST(AnimationAreas, OneAreaPerDistinctMonitorInWindowCoordinates) {
  struct Case {
    const char* name;
    PixelRect window;
    std::vector<PixelRect> monitors;
    std::vector<PixelRect> areas;
  };
  const Case cases[] = {
      {"one monitor", {0, 0, 1920, 1080}, {{0, 0, 1920, 1080}}, {{0, 0, 1920, 1080}}},
      {"no monitor listed", {0, 0, 800, 600}, {}, {{0, 0, 800, 600}}},
      {"side by side",
       {0, 0, 3840, 1080},
       {{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}},
       {{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}}},
      {"different heights",
       {0, 0, 2944, 1080},
       {{0, 0, 1920, 1080}, {1920, 0, 1024, 768}},
       {{0, 0, 1920, 1080}, {1920, 0, 1024, 768}}},
      {"left of the primary",
       {-1280, 0, 3200, 1080},
       {{0, 0, 1920, 1080}, {-1280, 56, 1280, 1024}},
       {{1280, 0, 1920, 1080}, {0, 56, 1280, 1024}}},
      {"above the primary",
       {0, -768, 1920, 1848},
       {{0, 0, 1920, 1080}, {448, -768, 1024, 768}},
       {{0, 768, 1920, 1080}, {448, 0, 1024, 768}}},
      {"mirrored displays share one",
       {0, 0, 1280, 1024},
       {{0, 0, 1280, 1024}, {0, 0, 1280, 1024}},
       {{0, 0, 1280, 1024}}},
      {"overlapping but different keep their own",
       {0, 0, 1920, 1080},
       {{0, 0, 1920, 1080}, {0, 0, 1280, 1024}},
       {{0, 0, 1920, 1080}, {0, 0, 1280, 1024}}},
      {"parts outside the window are cut off, monitors outside dropped",
       {0, 0, 1000, 700},
       {{-100, 0, 600, 700}, {500, 0, 800, 800}, {5000, 0, 100, 100}},
       {{0, 0, 500, 700}, {500, 0, 500, 700}}},
      {"only monitors outside: the whole window",
       {0, 0, 640, 480},
       {{900, 0, 10, 10}},
       {{0, 0, 640, 480}}},
      {"an empty window has no area", {0, 0, 0, 480}, {{0, 0, 640, 480}}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(animation_areas(c.window, c.monitors), c.areas) << c.name;
  }
}

TEST(SurfaceArea, ConfinesTransfersToItsRectangle) {
  SoftwareSurface target(8, 4, 0x11u);
  const SoftwareSurface source(8, 4, 0xF0u);
  SurfaceArea right(target, {4, 1, 4, 2});
  EXPECT_EQ(right.width(), 4);
  EXPECT_EQ(right.height(), 2);
  // Starts left of the view and reaches below it: only the view changes.
  right.bit_blt(-2, 0, 8, 8, source, 0, 0, RasterOp::src_paint);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(target.pixel(x, y), x >= 4 && y >= 1 && y <= 2 ? 0xF1u : 0x11u) << x << "," << y;
    }
  }

  // A view as the source is read in its own coordinates and clipped to its
  // own rectangle; a view of a surface that may only be read takes nothing.
  SoftwareSurface screen(8, 4);
  SurfaceArea screen_right(screen, {4, 1, 4, 2});
  const SurfaceArea work_right(static_cast<const Surface&>(target), {4, 1, 4, 2});
  screen_right.bit_blt(1, 0, 4, 4, work_right, 1, 0, RasterOp::src_copy);
  EXPECT_EQ(screen.pixel(5, 1), 0xF1u);
  EXPECT_EQ(screen.pixel(4, 1), 0u);  // left of the copied rectangle
  EXPECT_EQ(screen.pixel(5, 3), 0u);  // below both views
  SurfaceArea read_only(static_cast<const Surface&>(screen), {0, 0, 8, 4});
  read_only.bit_blt(0, 0, 8, 4, source, 0, 0, RasterOp::src_copy);
  EXPECT_EQ(screen.pixel(0, 0), 0u);
}

// The kernels of the animation over area a stay inside it, and those in
// play rest on its own floor.
void expect_kernels_in_their_area(const SaverScene& scene) {
  for (std::size_t i = 0; i < scene.size(); ++i) {
    const Sprites& s = scene.animation(i).sprites();
    const PixelRect& a = scene.area(i);
    EXPECT_EQ(scene.animation(i).motion().width, a.width);
    EXPECT_EQ(scene.animation(i).motion().height, a.height);
    for (int slot = 1; slot <= kMaxSlots; ++slot) {
      if (s.sprite_state[slot] == kStateRolling) {
        EXPECT_EQ(s.sprite_y[slot], a.height - 33);
      }
    }
  }
}

TEST(SaverScene, EveryMonitorAnimatesAlongItsOwnBottomEdge) {
  const testing::TestSheets sheets = testing::make_test_sheets();
  // A 300 x 200 monitor right of a taller 400 x 300 one, 50 pixels lower.
  HeadlessSaver saver(700, 300, sheets.sprite, sheets.mask,
                      {{400, 50, 300, 200}, {0, 0, 400, 300}});
  saver.start(MotionSettings{30, 50, 0, 0}, 65536, 9);
  ASSERT_EQ(saver.scene().size(), 2u);
  int floor_left = 0, floor_right = 0;
  for (int frame = 0; frame < 120; ++frame) {
    saver.step();
    // What lies on no monitor (above the smaller one) stays black.
    for (int y = 0; y < 50; ++y) {
      for (int x = 400; x < 700; x += 7) ASSERT_EQ(saver.screen().pixel(x, y), 0u) << frame;
    }
    for (int x = 0; x < 700; ++x) {
      floor_left += x < 400 && saver.screen().pixel(x, 300 - 17) != 0;
      floor_right += x >= 400 && saver.screen().pixel(x, 250 - 17) != 0;
    }
  }
  expect_kernels_in_their_area(saver.scene());
  EXPECT_GT(floor_left, 0) << "no kernels along the left monitor's bottom edge";
  EXPECT_GT(floor_right, 0) << "no kernels along the right monitor's bottom edge";
}

TEST(SaverScene, OneMonitorIsTheSingleAnimationExactly) {
  const testing::TestSheets sheets = testing::make_test_sheets();
  for (const double colours : {256.0, 65536.0}) {
    HeadlessSaver scene_saver(320, 240, sheets.sprite, sheets.mask, {{0, 0, 320, 240}});
    scene_saver.start(MotionSettings{60, 50, 0, 0}, colours, 3);
    // The same run with one Animation straight on the surfaces.
    SoftwareSurface copy(320, 240), work(320, 240), screen(320, 240);
    const SoftwareSurface sprite = SoftwareSurface::from_image(sheets.sprite);
    const SoftwareSurface mask = SoftwareSurface::from_image(sheets.mask);
    const CompositorSurfaces plain{copy, work, sprite, mask, screen};
    Animation animation;
    animation.init(MotionSettings{60, 50, 320, 240}, colours, 3);
    for (int frame = 0; frame < 200; ++frame) {
      scene_saver.step();
      animation.frame(plain);
      if (frame == 0) Animation::repaint(plain);
    }
    EXPECT_TRUE(std::equal(screen.pixels().begin(), screen.pixels().end(),
                           scene_saver.screen().pixels().begin()));
    EXPECT_EQ(animation.sprites().sprite_x, scene_saver.animation().sprites().sprite_x);
  }
}

TEST(SaverScene, KernelTablesLiveOnAcrossASecondSetUp) {
  const testing::TestSheets sheets = testing::make_test_sheets();
  SoftwareSurface copy(500, 200), work(500, 200), screen(500, 200);
  const SoftwareSurface sprite = SoftwareSurface::from_image(sheets.sprite);
  const SoftwareSurface mask = SoftwareSurface::from_image(sheets.mask);
  const CompositorSurfaces window{copy, work, sprite, mask, screen};
  const std::vector<PixelRect> areas = {{0, 0, 250, 200}, {250, 0, 250, 200}};
  SaverScene scene;
  scene.set_up(areas, MotionSettings{20, 10, 0, 0}, 65536, 1);
  for (int frame = 0; frame < 50; ++frame) scene.frame(window);

  std::vector<Sprites> before;
  for (std::size_t i = 0; i < scene.size(); ++i) before.push_back(scene.animation(i).sprites());
  // The second window (another Preview): a fresh run over the same monitors.
  scene.set_up(areas, MotionSettings{20, 10, 0, 0}, 65536, 2);
  for (std::size_t i = 0; i < scene.size(); ++i) {
    const Sprites& s = scene.animation(i).sprites();
    for (int slot = 1; slot <= 20; ++slot) {
      EXPECT_EQ(s.sprite_state[slot], kStateOff);
      EXPECT_EQ(s.sprite_step[slot], before[i].sprite_step[slot]);
      EXPECT_EQ(s.sprite_old_x[slot], before[i].sprite_old_x[slot]);
      EXPECT_EQ(s.sprite_x[slot], before[i].sprite_x[slot]);
    }
  }
  // Slots that roll again resume from the step after the one they showed.
  scene.frame(window);
  int resumed = 0;
  for (std::size_t i = 0; i < scene.size(); ++i) {
    const Sprites& s = scene.animation(i).sprites();
    for (int slot = 1; slot <= 20; ++slot) {
      if (s.sprite_state[slot] != kStateRolling || before[i].sprite_step[slot] == 0) continue;
      EXPECT_EQ(s.sprite_step[slot], before[i].sprite_step[slot] % 16 + 1) << slot;
      ++resumed;
    }
  }
  EXPECT_GT(resumed, 0);

  // Fewer monitors next time: the first keeps its table.
  scene.set_up(std::span(areas).first(1), MotionSettings{20, 10, 0, 0}, 65536, 3);
  ASSERT_EQ(scene.size(), 1u);
  EXPECT_NE(scene.animation(0).sprites().sprite_step, Sprites{}.sprite_step);
}

}  // namespace
}  // namespace fizzlet
