// The pixel loops run in a vectorised version on most processors: each must
// give, for every width (the vector tails included), what one pixel at a time
// gives, and write nothing outside its rectangle.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "saver/pixel_loops.h"

namespace fizzlet::pixels {
namespace {

using Pixel = std::uint32_t;
// One pixel of each loop: the destination's new value from the destination,
// the first source (or the colour) and the second source.
using PixelRule = std::function<Pixel(Pixel, Pixel, Pixel)>;
using Loop = std::function<void(Rows, SourceRows, SourceRows, std::size_t, std::size_t)>;

TEST(PixelLoops, EveryWidthGivesWhatOnePixelAtATimeGivesAndNothingOutsideChanges) {
  constexpr Pixel kColour = 0x00A5C31Eu;
  const struct {
    const char* name;
    Loop loop;
    PixelRule rule;
  } cases[] = {
      {"fill",
       [](Rows d, SourceRows, SourceRows, std::size_t r, std::size_t n) {
         fill_rect(d, r, n, kColour);
       },
       [](Pixel, Pixel, Pixel) { return kColour; }},
      {"and colour",
       [](Rows d, SourceRows, SourceRows, std::size_t r, std::size_t n) {
         and_rect_with(d, r, n, kColour);
       },
       [](Pixel d, Pixel, Pixel) { return d & kColour; }},
      {"or colour",
       [](Rows d, SourceRows, SourceRows, std::size_t r, std::size_t n) {
         or_rect_with(d, r, n, kColour);
       },
       [](Pixel d, Pixel, Pixel) { return d | kColour; }},
      {"copy",
       [](Rows d, SourceRows s, SourceRows, std::size_t r, std::size_t n) {
         copy_rect(d, s, r, n);
       },
       [](Pixel, Pixel s, Pixel) { return s; }},
      {"and",
       [](Rows d, SourceRows s, SourceRows, std::size_t r, std::size_t n) { and_rect(d, s, r, n); },
       [](Pixel d, Pixel s, Pixel) { return d & s; }},
      {"or",
       [](Rows d, SourceRows s, SourceRows, std::size_t r, std::size_t n) { or_rect(d, s, r, n); },
       [](Pixel d, Pixel s, Pixel) { return d | s; }},
      {"mask and paint",
       [](Rows d, SourceRows m, SourceRows s, std::size_t r, std::size_t n) {
         mask_paint_rect(d, m, s, r, n);
       },
       [](Pixel d, Pixel m, Pixel s) { return (d & m) | s; }},
  };
  std::mt19937 random(7);
  for (const auto& c : cases) {
    for (const std::size_t count : {0u, 1u, 3u, 7u, 8u, 9u, 15u, 16u, 17u, 31u, 33u, 64u, 67u}) {
      constexpr std::size_t kRows = 3;
      const std::size_t stride = count + 5;  // pixels between the rows stay untouched
      auto noise = [&] {
        std::vector<Pixel> v(kRows * stride + 3);
        for (Pixel& p : v) p = static_cast<Pixel>(random());
        return v;
      };
      std::vector<Pixel> target = noise(), expected = target;
      const std::vector<Pixel> first = noise(), second = noise();
      for (std::size_t r = 0; r < kRows; ++r) {
        for (std::size_t k = 0; k < count; ++k) {
          const std::size_t i = r * stride + k + 1;
          expected[i] = c.rule(expected[i], first[i], second[i]);
        }
      }
      c.loop({target.data() + 1, stride}, {first.data() + 1, stride}, {second.data() + 1, stride},
             kRows, count);
      EXPECT_EQ(target, expected) << c.name << ", " << count << " pixels a row";
    }
  }
}

}  // namespace
}  // namespace fizzlet::pixels
