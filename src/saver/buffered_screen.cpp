#include "saver/buffered_screen.h"

#include <algorithm>
#include <utility>

namespace fizzlet {

std::vector<PixelRect> side_by_side(std::span<const PixelRect> sizes) {
  std::vector<PixelRect> placed;
  std::int32_t left = 0;
  for (const PixelRect& size : sizes) {
    placed.push_back({left, 0, size.width, size.height});
    left += size.width;
  }
  return placed;
}

PixelRect covering(std::span<const PixelRect> areas) {
  const PixelRect all = union_of(areas);
  return {0, 0, static_cast<std::int32_t>(all.right()), static_cast<std::int32_t>(all.bottom())};
}

BufferedScreen::BufferedScreen(int width, int height, std::vector<PixelRect> areas)
    : width_(width),
      height_(height),
      areas_(std::move(areas)),
      pending_(areas_.size()),
      stale_(areas_.size()) {}

void BufferedScreen::add(std::vector<PixelRect>& rects, const PixelRect& rect) {
  if (rect.empty()) return;
  // A rectangle drawn over again (erased, then drawn) comes right after the
  // first; looking further back would cost more than copying twice.
  const std::size_t recent = std::min<std::size_t>(rects.size(), kRecentRects);
  for (std::size_t i = rects.size() - recent; i < rects.size(); ++i) {
    if (rects[i].contains(rect)) return;
  }
  rects.push_back(rect);
  if (rects.size() > kMaxRects) {
    rects.assign(1, union_of(rects));
  }
}

void BufferedScreen::bit_blt(int dx, int dy, int w, int h, const Surface&, int, int, RasterOp) {
  const PixelRect drawn = intersection({dx, dy, w, h}, {0, 0, width_, height_});
  for (std::size_t i = 0; i < areas_.size(); ++i) {
    PixelRect part = intersection(drawn, areas_[i]);
    part.left -= areas_[i].left;
    part.top -= areas_[i].top;
    add(pending_[i], part);
  }
}

BufferUpdate BufferedScreen::take_update(std::size_t area, std::size_t buffer) {
  BufferUpdate update{std::exchange(stale_[area][buffer], {}), std::move(pending_[area])};
  pending_[area].clear();
  for (const PixelRect& rect : update.damage) {
    add(update.copy, rect);
    for (std::size_t other = 0; other < kBuffers; ++other) {
      if (other != buffer) add(stale_[area][other], rect);
    }
  }
  return update;
}

std::optional<FilledBuffer> BufferedScreen::fill_free_buffer(
    std::size_t area, const SoftwareSurface& frame, std::span<SoftwareSurface, kBuffers> buffers,
    std::span<const bool, kBuffers> busy) {
  const std::size_t free = busy[0] ? 1 : 0;
  if (!changed(area) || busy[free]) return std::nullopt;
  BufferUpdate update = take_update(area, free);
  const PixelRect& at = areas_[area];
  for (const PixelRect& r : update.copy) {
    buffers[free].bit_blt(r.left, r.top, r.width, r.height, frame, at.left + r.left, at.top + r.top,
                          RasterOp::src_copy);
  }
  return FilledBuffer{free, std::move(update.damage)};
}

}  // namespace fizzlet
