#include "geometry/pixel_rect.h"

#include <algorithm>
#include <limits>
#include <tuple>
#include <utility>

namespace fizzlet {

namespace {

// A size of at most the 32-bit maximum.
std::int32_t size_within_32_bits(std::int64_t size) {
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(size, std::numeric_limits<std::int32_t>::max()));
}

std::int64_t area(const PixelRect& r) { return std::int64_t{r.width} * r.height; }

// Whether the two share at least a point of their closed outlines.
bool touching(const PixelRect& a, const PixelRect& b) {
  return a.left <= b.right() && b.left <= a.right() && a.top <= b.bottom() && b.top <= a.bottom();
}

// Whether the rectangle covering both has no more pixels than the two.
bool qualify(const PixelRect& a, const PixelRect& b) {
  const std::int64_t width = std::max(a.right(), b.right()) - std::min(a.left, b.left);
  const std::int64_t height = std::max(a.bottom(), b.bottom()) - std::min(a.top, b.top);
  return width * height <= area(a) + area(b);
}

}  // namespace

namespace {

// One sweep over rects in order of their left edges: each rectangle
// swallows the later ones it qualifies with among those that start before
// its right edge ends (the only ones that can touch it), growing as it goes.
// Returns how many are left at the front, still in order of their left
// edges, and whether any merged.
std::pair<std::size_t, bool> merge_sweep(std::span<PixelRect> rects) {
  bool merged = false;
  for (std::size_t i = 0; i < rects.size(); ++i) {
    if (rects[i].empty()) continue;
    for (std::size_t j = i + 1; j < rects.size() && rects[j].left <= rects[i].right(); ++j) {
      if (!rects[j].empty() && touching(rects[i], rects[j]) && qualify(rects[i], rects[j])) {
        rects[i] = union_of(rects[i], rects[j]);
        rects[j] = {};
        merged = true;
      }
    }
  }
  const auto kept = std::remove_if(rects.begin(), rects.end(),
                                   [](const PixelRect& r) { return r.empty(); });
  return {static_cast<std::size_t>(kept - rects.begin()), merged};
}

}  // namespace

std::size_t merge_touching(std::span<PixelRect> rects) {
  // A rectangle that grew may now qualify with one it passed over: sweep
  // again until a sweep merges nothing, which proves that no pair is left.
  std::size_t count = rects.size();
  bool merged = true;
  while (merged) {
    const auto front = rects.first(count);
    std::sort(front.begin(), front.end(),
              [](const PixelRect& a, const PixelRect& b) { return a.left < b.left; });
    std::tie(count, merged) = merge_sweep(front);
  }
  return count;
}

PixelRect intersection(const PixelRect& a, const PixelRect& b) {
  // a copied onto itself, cut at b's edges.
  return clip_transfer({a, a.left, a.top}, b, b).target;
}

PixelRect union_of(const PixelRect& a, const PixelRect& b) {
  if (a.empty()) return b.empty() ? PixelRect{} : b;
  if (b.empty()) return a;
  const std::int32_t left = std::min(a.left, b.left);
  const std::int32_t top = std::min(a.top, b.top);
  return {left, top, size_within_32_bits(std::max(a.right(), b.right()) - left),
          size_within_32_bits(std::max(a.bottom(), b.bottom()) - top)};
}

PixelRect union_of(std::span<const PixelRect> rects) {
  PixelRect all{};
  for (const PixelRect& rect : rects) all = union_of(all, rect);
  return all;
}

}  // namespace fizzlet
