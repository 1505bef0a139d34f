#include "geometry/pixel_rect.h"

#include <algorithm>
#include <limits>

namespace fizzlet {

namespace {

// A rectangle by its four edges in 64 bits, where shifting and cutting
// cannot overflow.
struct Edges {
  std::int64_t left, top, right, bottom;
};

Edges edges(const PixelRect& r) { return {r.left, r.top, r.right(), r.bottom()}; }

Edges shifted(const Edges& e, std::int64_t dx, std::int64_t dy) {
  return {e.left + dx, e.top + dy, e.right + dx, e.bottom + dy};
}

Edges common(const Edges& a, const Edges& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

std::int32_t clamped(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// Empty edges give the empty rectangle.
PixelRect rect(const Edges& e) {
  if (e.right <= e.left || e.bottom <= e.top) return {};
  const std::int32_t left = clamped(e.left);
  const std::int32_t top = clamped(e.top);
  return {left, top, clamped(e.right - left), clamped(e.bottom - top)};
}

}  // namespace

PixelRect intersection(const PixelRect& a, const PixelRect& b) {
  return rect(common(edges(a), edges(b)));
}

PixelRect union_of(const PixelRect& a, const PixelRect& b) {
  if (a.empty()) return b.empty() ? PixelRect{} : b;
  if (b.empty()) return a;
  const Edges ea = edges(a);
  const Edges eb = edges(b);
  return rect({std::min(ea.left, eb.left), std::min(ea.top, eb.top), std::max(ea.right, eb.right),
               std::max(ea.bottom, eb.bottom)});
}

Transfer clip_transfer(const Transfer& transfer, const PixelRect& target_bounds,
                       const PixelRect& source_bounds) {
  // The source's bounds as seen from the destination: moved by the distance
  // from where the transfer reads to where it writes.
  const std::int64_t dx = std::int64_t{transfer.target.left} - transfer.source_left;
  const std::int64_t dy = std::int64_t{transfer.target.top} - transfer.source_top;
  const Edges inside = common(common(edges(transfer.target), edges(target_bounds)),
                              shifted(edges(source_bounds), dx, dy));
  const PixelRect target = rect(inside);
  if (target.empty()) return {};
  return {target, static_cast<std::int32_t>(target.left - dx),
          static_cast<std::int32_t>(target.top - dy)};
}

}  // namespace fizzlet
