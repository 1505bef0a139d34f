// Golden test of the whole engine with the committed artwork: a fixed-seed
// run's screen buffer, hashed at a few frames.  When the artwork or the
// engine's behaviour changes on purpose, run this test, check the new
// frames with fizzlet-render (same settings, --hash --png DIR) and paste the
// printed hash below.

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <string>

#include "saver/animation.h"

namespace fizzlet {
namespace {

struct GoldenRun {
  int depth;
  std::uint64_t expected;
};

// 640 x 480, 36 kernels, pop chance 30, seed 2026; frames 10, 40 and 90.
constexpr GoldenRun kGolden[] = {
    {8, 0x75E9341D9F1FE32CULL},
    {32, 0x39B12690D7E72E50ULL},
};

std::uint64_t fnv1a(std::uint64_t h, std::span<const std::uint32_t> pixels) {
  for (std::uint32_t p : pixels) {
    for (int b = 0; b < 4; ++b) {
      h ^= (p >> (8 * b)) & 0xFF;
      h *= 0x100000001B3ULL;
    }
  }
  return h;
}

TEST(RenderGolden, FixedSeedRunShowsTheSameFrames) {
  const std::string resources = std::string(FIZZLET_SOURCE_DIR) + "/resources/";
  const DibResult sprite = load_bmp_file(resources + "sprite.bmp");
  const DibResult mask = load_bmp_file(resources + "mask.bmp");
  ASSERT_TRUE(sprite) << sprite.error;
  ASSERT_TRUE(mask) << mask.error;
  for (const GoldenRun& golden : kGolden) {
    HeadlessSaver saver(640, 480, *sprite.image, *mask.image);
    saver.start(MotionSettings{36, 30, 640, 480}, get_numberofcolors(golden.depth, 1), 2026);
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (int frame = 1; frame <= 90; ++frame) {
      saver.step();
      if (frame == 10 || frame == 40 || frame == 90) hash = fnv1a(hash, saver.screen().pixels());
    }
    char printed[32];
    std::snprintf(printed, sizeof printed, "0x%016" PRIX64 "ULL", hash);
    EXPECT_EQ(hash, golden.expected)
        << "display depth " << golden.depth << ": the frames changed; if that is intended, "
        << "set the expected hash to " << printed;
  }
}

}  // namespace
}  // namespace fizzlet
