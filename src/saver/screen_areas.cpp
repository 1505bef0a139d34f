#include "saver/screen_areas.h"

#include <algorithm>

namespace fizzlet {

std::vector<PixelRect> animation_areas(const PixelRect& window,
                                       std::span<const PixelRect> monitors) {
  std::vector<PixelRect> areas;
  if (window.empty()) return areas;
  for (const PixelRect& monitor : monitors) {
    const PixelRect inside = intersection(monitor, window);
    if (inside.empty()) continue;
    const PixelRect area{static_cast<std::int32_t>(std::int64_t{inside.left} - window.left),
                         static_cast<std::int32_t>(std::int64_t{inside.top} - window.top),
                         inside.width, inside.height};
    if (std::find(areas.begin(), areas.end(), area) == areas.end()) areas.push_back(area);
  }
  if (areas.empty()) areas.push_back({0, 0, window.width, window.height});
  return areas;
}

void SurfaceArea::bit_blt(int dx, int dy, int w, int h, const Surface& source, int sx, int sy,
                          RasterOp op) {
  if (target_ == nullptr) return;
  // A view as the source is read in its own coordinates and clipped to its
  // own area; any other source to its own edges.
  const auto* view = dynamic_cast<const SurfaceArea*>(&source);
  const PixelRect source_bounds = view != nullptr
                                      ? PixelRect{0, 0, view->area_.width, view->area_.height}
                                      : PixelRect{0, 0, source.width(), source.height()};
  const Transfer t =
      clip_transfer({{dx, dy, w, h}, sx, sy}, {0, 0, area_.width, area_.height}, source_bounds);
  if (t.empty()) return;
  // Inside both areas every coordinate fits the surfaces' own 32-bit range.
  const PixelRect source_area = view != nullptr ? view->area_ : PixelRect{};
  target_->bit_blt(area_.left + t.target.left, area_.top + t.target.top, t.target.width,
                   t.target.height, view != nullptr ? *view->base_ : source,
                   source_area.left + t.source_left, source_area.top + t.source_top, op);
}

}  // namespace fizzlet
