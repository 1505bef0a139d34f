#include "geometry/pixel_rect.h"

#include <algorithm>
#include <limits>

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

std::size_t merge_touching(std::span<PixelRect> rects) {
  // rects[0, kept) are the merged ones so far, no two of which qualify; each
  // further rectangle swallows every one of them it qualifies with (looking
  // again from the start whenever it has grown) and then joins them.
  std::size_t kept = 0;
  for (const PixelRect& next : rects) {
    if (next.empty()) continue;
    PixelRect grown = next;
    for (std::size_t k = 0; k < kept;) {
      if (touching(rects[k], grown) && qualify(rects[k], grown)) {
        grown = union_of(rects[k], grown);
        rects[k] = rects[--kept];
        k = 0;
      } else {
        ++k;
      }
    }
    rects[kept++] = grown;
  }
  return kept;
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
