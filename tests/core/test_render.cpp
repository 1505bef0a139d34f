#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine_fixtures.h"
#include "saver/animation.h"
#include "settings/settings.h"

namespace fizzlet {
namespace {

bool same_pixels(const SoftwareSurface& a, const SoftwareSurface& b) {
  return std::equal(a.pixels().begin(), a.pixels().end(), b.pixels().begin(), b.pixels().end());
}

bool all_black(const SoftwareSurface& s) {
  return std::all_of(s.pixels().begin(), s.pixels().end(), [](std::uint32_t p) { return p == 0; });
}

TEST(HeadlessSaver, ScreenShowsExactlyTheComposedFrameAfterTheFirstRepaint) {
  const testing::TestSheets sheets = testing::make_test_sheets();
  for (const int depth : {8, 32}) {
    SCOPED_TRACE(depth);
    HeadlessSaver saver(640, 480, sheets.sprite, sheets.mask);
    saver.start(MotionSettings{100, 50, 0, 0}, get_numberofcolors(depth, 1), 77);
    EXPECT_TRUE(all_black(saver.screen()));
    EXPECT_EQ(saver.animation().motion().width, 640);  // the screen's own size counts
    EXPECT_EQ(saver.animation().motion().height, 480);

    // The first frame ends with the window's full repaint from the clean
    // background: kernels are composed but not yet on the screen.
    saver.step();
    EXPECT_TRUE(all_black(saver.screen()));
    EXPECT_FALSE(all_black(saver.work()));

    for (int frame = 2; frame <= 400; ++frame) {
      saver.step();
      ASSERT_TRUE(same_pixels(saver.screen(), saver.work())) << "frame " << frame;
      if (frame == 200) {
        saver.request_repaint();
        saver.step();
        EXPECT_TRUE(all_black(saver.screen()));
      }
    }
    EXPECT_FALSE(all_black(saver.screen()));
  }
}

TEST(HeadlessSaver, RunIsReproducibleFromItsSeed) {
  const testing::TestSheets sheets = testing::make_test_sheets();
  auto run = [&](std::uint64_t seed) {
    HeadlessSaver saver(320, 240, sheets.sprite, sheets.mask);
    saver.start(MotionSettings{40, 30, 320, 240}, 65536, seed);
    for (int i = 0; i < 150; ++i) saver.step();
    return std::vector<std::uint32_t>(saver.screen().pixels().begin(),
                                      saver.screen().pixels().end());
  };
  EXPECT_EQ(run(5), run(5));
  EXPECT_NE(run(5), run(6));
}

TEST(Animation, TakesItsCountsFromTheSettings) {
  Settings settings;
  settings.total_fizzlet = 500;  // a hand-edited value: limited to 100
  settings.pop_chance = 50;
  Animation animation;
  animation.init(800, 600, settings, 256, 1);
  EXPECT_EQ(animation.motion().total_fizzlet, 100);
  EXPECT_EQ(animation.motion().pop_chance, 50);
  EXPECT_EQ(animation.motion().width, 800);
  EXPECT_FALSE(animation.sprites().high_colour);
  EXPECT_EQ(animation.sprites().sprite_slots, 100);
  settings.total_fizzlet = 0;
  animation.init(800, 600, settings, 65536, 1);
  EXPECT_EQ(animation.motion().total_fizzlet, 1);
  EXPECT_TRUE(animation.sprites().high_colour);
}

// A host whose screen changes size starts the saver again at the new size:
// surfaces of that size, black, every kernel out of play.
TEST(SoftwareSaver, StartingAgainAtAnotherSizeBeginsAfresh) {
  const testing::TestSheets sheets = testing::make_test_sheets();
  SoftwareSaver saver(sheets.sprite, sheets.mask);
  SoftwareSurface screen(320, 240);
  saver.start(320, 240, MotionSettings{100, 50, 0, 0}, 65536, 9);
  for (int i = 0; i < 100; ++i) saver.frame(screen);
  EXPECT_FALSE(all_black(saver.work()));

  SoftwareSurface larger(640, 400);
  saver.start(640, 400, MotionSettings{100, 50, 0, 0}, 65536, 9);
  EXPECT_EQ(saver.width(), 640);
  EXPECT_EQ(saver.animation().motion().height, 400);
  EXPECT_TRUE(all_black(saver.work()));
  const auto& states = saver.animation().sprites().sprite_state;
  EXPECT_TRUE(std::all_of(states.begin(), states.end(), [](std::int32_t s) { return s == 0; }));
  for (int i = 0; i < 100; ++i) saver.frame(larger);
  // Kernels rest on the new floor: y = 400 - 33.
  bool on_new_floor = false;
  for (int slot = 1; slot <= kMaxSlots; ++slot) {
    on_new_floor = on_new_floor || (states[slot] == kStateRolling &&
                                    saver.animation().sprites().sprite_y[slot] == 367.0);
  }
  EXPECT_TRUE(on_new_floor);

  // A screen that lost its picture gets the whole frame back from a redraw.
  SoftwareSurface exposed(640, 400, 0x00808080);
  saver.redraw(exposed);
  EXPECT_TRUE(same_pixels(exposed, saver.work()));

  // Composing in the host's memory (an image its window system reads).
  std::vector<std::uint32_t> memory(320 * 240, 0);
  saver.start(320, 240, MotionSettings{100, 50, 0, 0}, 65536, 9, memory);
  for (int i = 0; i < 50; ++i) saver.frame(screen);
  EXPECT_EQ(saver.work().pixels().data(), memory.data());
  EXPECT_TRUE(std::any_of(memory.begin(), memory.end(), [](std::uint32_t p) { return p != 0; }));
}

}  // namespace
}  // namespace fizzlet
