#pragma once
// Rectangles in whole pixels, origin at the top-left, y growing downwards:
// the windows and controls of every mode once twips have been converted,
// the monitors and the animation areas of the saver, the cells of the
// sprite sheet and the rectangles the compositor copies.  Every surface
// clips its transfers with clip_transfer, so that all of them cut a
// rectangle at their edges the same way.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace fizzlet {

struct PixelRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;

  bool empty() const { return width <= 0 || height <= 0; }
  // The edges one past the last column and row, which need 64 bits.
  std::int64_t right() const { return std::int64_t{left} + width; }
  std::int64_t bottom() const { return std::int64_t{top} + height; }
  // Whether every pixel of inner lies inside; an empty inner always does.
  bool contains(const PixelRect& inner) const {
    return inner.empty() || (inner.left >= left && inner.top >= top && inner.right() <= right() &&
                             inner.bottom() <= bottom());
  }
  // Whether some pixel lies in both.
  bool overlaps(const PixelRect& other) const {
    return !empty() && !other.empty() && other.left < right() && left < other.right() &&
           other.top < bottom() && top < other.bottom();
  }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The pixels inside both rectangles, or an empty rectangle.
PixelRect intersection(const PixelRect& a, const PixelRect& b);
// The smallest rectangle that covers both; an empty rectangle adds nothing.
// A size beyond the 32-bit range is cut off there.
PixelRect union_of(const PixelRect& a, const PixelRect& b);
// The smallest rectangle that covers them all.
PixelRect union_of(std::span<const PixelRect> rects);

// Rectangles to send as few requests for as few pixels: each pair that
// overlaps or touches (shares an edge or a part of one) becomes the one
// rectangle that covers both, as long as that covering rectangle has no more
// pixels than the two have together (kernels rolling side by side along one
// row merge; a piece flying past a kernel's corner does not, which would add
// the empty corners).  Repeated until no pair qualifies.  Works in place:
// returns how many rectangles are left, at the front of rects, in order of
// their left edges.  Empty rectangles are dropped.  Sorted sweeps: about
// n log n for rectangles spread along a row.
std::size_t merge_touching(std::span<PixelRect> rects);

// A bit-block transfer: the rectangle it writes on the destination surface
// and the top-left corner of the equally large rectangle it reads on the
// source.
struct Transfer {
  PixelRect target;
  std::int32_t source_left = 0;
  std::int32_t source_top = 0;
  bool empty() const { return target.empty(); }
  friend bool operator==(const Transfer&, const Transfer&) = default;
};

// The part of a transfer whose pixels lie inside the destination's bounds
// and are read from inside the source's bounds (each in its own surface's
// coordinates, edges in the 32-bit range): the same cut on both sides, so
// that every pixel still lands where it would have.  Empty when nothing is
// left.  Computed in 64 bits, so no coordinate of the request can overflow.
// Every transfer of every frame goes through it, so it is inline.
inline Transfer clip_transfer(const Transfer& transfer, const PixelRect& target_bounds,
                              const PixelRect& source_bounds) {
  const PixelRect& t = transfer.target;
  // The source's bounds as seen from the destination: moved by the distance
  // from where the transfer reads to where it writes.
  const std::int64_t dx = std::int64_t{t.left} - transfer.source_left;
  const std::int64_t dy = std::int64_t{t.top} - transfer.source_top;
  const std::int64_t left =
      std::max({std::int64_t{t.left}, std::int64_t{target_bounds.left}, source_bounds.left + dx});
  const std::int64_t top =
      std::max({std::int64_t{t.top}, std::int64_t{target_bounds.top}, source_bounds.top + dy});
  const std::int64_t right =
      std::min({t.right(), target_bounds.right(), source_bounds.right() + dx});
  const std::int64_t bottom =
      std::min({t.bottom(), target_bounds.bottom(), source_bounds.bottom() + dy});
  if (right <= left || bottom <= top) return {};
  // Inside both bounds, every edge and size fits 32 bits again.
  return {{static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
           static_cast<std::int32_t>(right - left), static_cast<std::int32_t>(bottom - top)},
          static_cast<std::int32_t>(left - dx),
          static_cast<std::int32_t>(top - dy)};
}

}  // namespace fizzlet
