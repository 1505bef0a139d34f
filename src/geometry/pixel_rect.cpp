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

}  // namespace

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

}  // namespace fizzlet
