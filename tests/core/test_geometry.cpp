// Pixel rectangles and the one clip that every surface's transfers go through.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "geometry/pixel_rect.h"

namespace fizzlet {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

TEST(PixelRect, IntersectionUnionAndContainment) {
  struct Case {
    PixelRect a, b, common, covering;
  };
  const Case cases[] = {
      {{0, 0, 10, 10}, {5, 5, 10, 10}, {5, 5, 5, 5}, {0, 0, 15, 15}},
      {{0, 0, 10, 10}, {10, 0, 5, 5}, {}, {0, 0, 15, 10}},  // edges touch, no pixel shared
      {{-4, -4, 20, 20}, {2, 3, 4, 5}, {2, 3, 4, 5}, {-4, -4, 20, 20}},
      {{0, 0, 10, 10}, {2, 3, 0, 4}, {}, {0, 0, 10, 10}},              // an empty one adds nothing
      {{kMin, 0, 1, 1}, {kMax - 1, 0, 1, 1}, {}, {kMin, 0, kMax, 1}},  // cut at 32 bits
  };
  for (const Case& c : cases) {
    EXPECT_EQ(intersection(c.a, c.b), c.common) << c.a.left << "," << c.b.left;
    EXPECT_EQ(intersection(c.b, c.a), c.common);
    EXPECT_EQ(union_of(c.a, c.b), c.covering);
    EXPECT_EQ(union_of(c.b, c.a), c.covering);
    EXPECT_EQ(c.a.contains(c.b), intersection(c.a, c.b) == c.b || c.b.empty());
    EXPECT_EQ(c.a.overlaps(c.b), !c.common.empty());
    EXPECT_EQ(c.b.overlaps(c.a), !c.common.empty());
  }
}

TEST(PixelRect, TransfersAreCutAtBothSurfacesEdgesAlike) {
  // A 6 x 6 destination reading from an 8 x 8 source.
  const PixelRect target{0, 0, 6, 6}, source{0, 0, 8, 8};
  struct Case {
    const char* name;
    Transfer request, clipped;
  };
  const Case cases[] = {
      {"inside both", {{1, 1, 2, 2}, 3, 3}, {{1, 1, 2, 2}, 3, 3}},
      {"off the destination's top-left", {{-2, -3, 4, 5}, 1, 1}, {{0, 0, 2, 2}, 3, 4}},
      {"off its bottom-right", {{4, 5, 10, 10}, 0, 0}, {{4, 5, 2, 1}, 0, 0}},
      {"out of the source", {{0, 0, 6, 6}, 5, -2}, {{0, 2, 3, 4}, 5, 0}},
      {"huge but overlapping", {{-1000000000, 0, kMax, 3}, -1000000000, 0}, {{0, 0, 6, 3}, 0, 0}},
      {"negative width", {{0, 0, -4, 4}, 0, 0}, {}},
      {"far away", {{100, 0, 4, 4}, 0, 0}, {}},
      {"beside the source", {{0, 0, 4, 4}, -50, 0}, {}},
      {"at the 32-bit limits", {{kMax, kMin, kMax, kMax}, kMin, 0}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(clip_transfer(c.request, target, source), c.clipped) << c.name;
  }
}

TEST(PixelRect, TouchingRectanglesMergeWhereTheCoverHasNoMorePixels) {
  struct Case {
    const char* name;
    std::vector<PixelRect> given, merged;
  };
  const Case cases[] = {
      {"side by side on one row", {{0, 0, 10, 8}, {10, 0, 10, 8}}, {{0, 0, 20, 8}}},
      {"overlapping on one row", {{0, 0, 10, 8}, {6, 0, 10, 8}}, {{0, 0, 16, 8}}},
      {"inside another", {{0, 0, 10, 10}, {2, 2, 3, 3}}, {{0, 0, 10, 10}}},
      {"a gap of one column", {{0, 0, 10, 8}, {11, 0, 10, 8}}, {{0, 0, 10, 8}, {11, 0, 10, 8}}},
      {"corners touching: the cover would double them",
       {{0, 0, 10, 10}, {10, 10, 10, 10}},
       {{0, 0, 10, 10}, {10, 10, 10, 10}}},
      {"a chain that grows", {{0, 0, 4, 4}, {8, 0, 4, 4}, {4, 0, 4, 4}}, {{0, 0, 12, 4}}},
      {"empty ones dropped", {{0, 0, 0, 5}, {3, 3, 2, 2}, {9, 9, 4, -1}}, {{3, 3, 2, 2}}},
  };
  for (const Case& c : cases) {
    std::vector<PixelRect> rects = c.given;
    rects.resize(merge_touching(rects));
    EXPECT_THAT(rects, ::testing::UnorderedElementsAreArray(c.merged)) << c.name;
  }
}

// Frames' worth of kernels along a row and pieces anywhere, merged: every
// rectangle given lies in one that is left, and no two left touch with a
// cover of no more pixels than theirs (the sweeps find every pair).
TEST(PixelRect, MergedRectanglesCoverAllGivenAndNoPairQualifies) {
  std::mt19937 random(2024);
  const auto draw = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  const auto area = [](const PixelRect& r) { return std::int64_t{r.width} * r.height; };
  for (int frame = 0; frame < 200; ++frame) {
    std::vector<PixelRect> given;
    for (int k = 0; k < 120; ++k) {
      given.push_back({draw(0, 1900), k < 100 ? draw(1000, 1040) : draw(0, 1060), draw(0, 60),
                       draw(20, 60)});
    }
    std::vector<PixelRect> merged = given;
    merged.resize(merge_touching(merged));
    for (const PixelRect& r : given) {
      EXPECT_TRUE(r.empty() || std::any_of(merged.begin(), merged.end(), [&](const PixelRect& m) {
                    return m.contains(r);
                  })) << "frame " << frame;
    }
    for (std::size_t i = 0; i < merged.size(); ++i) {
      for (std::size_t j = i + 1; j < merged.size(); ++j) {
        const PixelRect &a = merged[i], &b = merged[j];
        const bool touch = a.left <= b.right() && b.left <= a.right() && a.top <= b.bottom() &&
                           b.top <= a.bottom();
        EXPECT_FALSE(touch && area(union_of(a, b)) <= area(a) + area(b)) << "frame " << frame;
      }
    }
  }
}

}  // namespace
}  // namespace fizzlet
