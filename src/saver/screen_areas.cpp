#include "saver/screen_areas.h"

#include <algorithm>

namespace fizzlet {

namespace {

// The part of r inside bounds (both in the same coordinates), or an empty
// rectangle; computed in 64 bits so that no edge can overflow.
ScreenRect intersect(const ScreenRect& r, const ScreenRect& bounds) {
  const std::int64_t left = std::max<std::int64_t>(r.left, bounds.left);
  const std::int64_t top = std::max<std::int64_t>(r.top, bounds.top);
  const std::int64_t right =
      std::min(std::int64_t{r.left} + r.width, std::int64_t{bounds.left} + bounds.width);
  const std::int64_t bottom =
      std::min(std::int64_t{r.top} + r.height, std::int64_t{bounds.top} + bounds.height);
  if (right <= left || bottom <= top) return {};
  return {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
          static_cast<std::int32_t>(right - left), static_cast<std::int32_t>(bottom - top)};
}

}  // namespace

std::vector<ScreenRect> animation_areas(const ScreenRect& window,
                                        std::span<const ScreenRect> monitors) {
  std::vector<ScreenRect> areas;
  if (window.empty()) return areas;
  for (const ScreenRect& monitor : monitors) {
    const ScreenRect inside = intersect(monitor, window);
    if (inside.empty()) continue;
    const ScreenRect area{static_cast<std::int32_t>(std::int64_t{inside.left} - window.left),
                          static_cast<std::int32_t>(std::int64_t{inside.top} - window.top),
                          inside.width, inside.height};
    if (std::find(areas.begin(), areas.end(), area) == areas.end()) areas.push_back(area);
  }
  if (areas.empty()) areas.push_back({0, 0, window.width, window.height});
  return areas;
}

void SurfaceArea::bit_blt(int dx, int dy, int w, int h, const Surface& source, int sx, int sy,
                          RasterOp op) {
  if (target_ == nullptr || w <= 0 || h <= 0) return;
  // Offsets into the w x h rectangle that stay inside this area and, for a
  // view as source, inside the source's area.
  const auto* view = dynamic_cast<const SurfaceArea*>(&source);
  std::int64_t x0 = std::max<std::int64_t>(0, -std::int64_t{dx});
  std::int64_t y0 = std::max<std::int64_t>(0, -std::int64_t{dy});
  std::int64_t x1 = std::min<std::int64_t>(w, std::int64_t{area_.width} - dx);
  std::int64_t y1 = std::min<std::int64_t>(h, std::int64_t{area_.height} - dy);
  const Surface* base = &source;
  std::int64_t source_left = 0;
  std::int64_t source_top = 0;
  if (view != nullptr) {
    x0 = std::max<std::int64_t>(x0, -std::int64_t{sx});
    y0 = std::max<std::int64_t>(y0, -std::int64_t{sy});
    x1 = std::min<std::int64_t>(x1, std::int64_t{view->area_.width} - sx);
    y1 = std::min<std::int64_t>(y1, std::int64_t{view->area_.height} - sy);
    base = view->base_;
    source_left = view->area_.left;
    source_top = view->area_.top;
  }
  if (x0 >= x1 || y0 >= y1) return;
  // Inside both areas every coordinate fits the surfaces' own 32-bit range;
  // a plain source's coordinates are passed on as they are, offset only by
  // the part clipped away.
  target_->bit_blt(static_cast<int>(area_.left + dx + x0), static_cast<int>(area_.top + dy + y0),
                   static_cast<int>(x1 - x0), static_cast<int>(y1 - y0), *base,
                   static_cast<int>(source_left + sx + x0), static_cast<int>(source_top + sy + y0),
                   op);
}

}  // namespace fizzlet
