#include "saver/buffered_screen.h"

#include <algorithm>
#include <utility>

#include "saver/pixel_loops.h"

namespace fizzlet {
namespace {

// The parts of rect outside every rectangle of cut, into parts (all of
// them lie on the screen: their edges fit 32 bits).
void outside(const PixelRect& rect, std::span<const PixelRect> cut, std::vector<PixelRect>& parts) {
  parts.assign(1, rect);
  for (const PixelRect& c : cut) {
    // (A part cut is replaced by the last one, done already, or by pieces
    // that lie outside c.)
    for (std::size_t i = parts.size(); i-- > 0;) {
      const PixelRect p = parts[i];
      const std::int32_t p_right = p.left + p.width, p_bottom = p.top + p.height;
      if (!c.overlaps(p)) continue;
      parts[i] = parts.back();
      parts.pop_back();
      const PixelRect o = intersection(p, c);
      const std::int32_t o_bottom = o.top + o.height, o_right = o.left + o.width;
      if (o.top > p.top) parts.push_back({p.left, p.top, p.width, o.top - p.top});
      if (o_bottom < p_bottom) parts.push_back({p.left, o_bottom, p.width, p_bottom - o_bottom});
      if (o.left > p.left) parts.push_back({p.left, o.top, o.left - p.left, o.height});
      if (o_right < p_right) parts.push_back({o_right, o.top, p_right - o_right, o.height});
    }
  }
}

// Drops the rectangles inside the cover at their own place in covers.  The
// two lists mostly come in the same order (a frame erases its kernels in
// the order the frame before drew them), which leaves few to look up.
void drop_same_place(std::vector<PixelRect>& rects, std::span<const PixelRect> covers) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < rects.size(); ++i) {
    if (i >= covers.size() || !covers[i].contains(rects[i])) rects[kept++] = rects[i];
  }
  rects.resize(kept);
}

// Drops the rectangles inside one of covers: those at the same place first,
// then the rest by their left edges (one inside a cover starts in it).
void drop_inside(std::vector<PixelRect>& rects, std::span<const PixelRect> covers) {
  drop_same_place(rects, covers);
  if (rects.empty()) return;
  std::sort(rects.begin(), rects.end(),
            [](const PixelRect& a, const PixelRect& b) { return a.left < b.left; });
  std::vector<bool> inside(rects.size());
  for (const PixelRect& c : covers) {
    auto r = std::partition_point(rects.begin(), rects.end(),
                                  [&](const PixelRect& p) { return p.left < c.left; });
    for (; r != rects.end() && r->left < c.left + c.width; ++r) {
      if (c.contains(*r)) inside[std::size_t(r - rects.begin())] = true;
    }
  }
  std::size_t kept = 0;
  for (std::size_t i = 0; i < rects.size(); ++i) {
    if (!inside[i]) rects[kept++] = rects[i];
  }
  rects.resize(kept);
}

// Whether rect lies inside one of the last few of items, looking back over
// those of its kind only (rect_of gives null for another kind).  A
// rectangle written over again (erased, then drawn) comes right after the
// first; looking further back would cost more than writing twice.
template <typename Item, typename RectOf>
bool inside_recent(const std::vector<Item>& items, const PixelRect& rect, RectOf rect_of) {
  const std::size_t recent = std::min<std::size_t>(items.size(), BufferedScreen::kRecentRects);
  for (std::size_t i = items.size(); i-- > items.size() - recent;) {
    const PixelRect* r = rect_of(items[i]);
    if (r == nullptr) return false;
    if (r->contains(rect)) return true;
  }
  return false;
}

}  // namespace

void FrameSurface::bit_blt(int dx, int dy, int w, int h, const Surface& source, int sx, int sy,
                           RasterOp op) {
  const Transfer t = clip_transfer({{dx, dy, w, h}, sx, sy}, {0, 0, width(), height()},
                                   {0, 0, source.width(), source.height()});
  Write write;
  if (op == RasterOp::src_copy && &source != this) {
    const auto* memory = dynamic_cast<const SoftwareSurface*>(&source);
    write = memory != nullptr ? Write::copy_from(*memory) : Write{Write::Kind::replaces};
  }
  if (before_write(t.target, write)) SoftwareSurface::bit_blt(dx, dy, w, h, source, sx, sy, op);
}

bool FrameSurface::before_write(const PixelRect& target, Write write) {
  return screen_->written(target, write);
}

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

std::size_t BufferedScreen::memory_pixels(int width, int height) {
  const auto w = std::size_t(std::max(width, 0));
  return w * std::size_t(std::max(height, 0)) * kBuffers + w;
}

BufferedScreen::BufferedScreen(int width, int height, std::vector<PixelRect> areas,
                               std::span<std::uint32_t> frames)
    : width_(width),
      height_(height),
      areas_(std::move(areas)),
      own_(std::size_t(std::max(width, 0)) * std::size_t(std::max(height, 0))),
      damage_(areas_.size()),
      reading_(areas_.size()) {
  const std::size_t frame = own_.size();
  for (std::size_t i = 0; i < kBuffers; ++i) memories_[i] = frames.subspan(i * frame, frame);
  memories_[kOwn] = own_;
}

std::unique_ptr<SoftwareSurface> BufferedScreen::work_surface() {
  auto work = std::make_unique<FrameSurface>(*this);
  static_cast<SoftwareSurface&>(*work) =
      SoftwareSurface::over(memories_[current_], width_, height_, 0u);
  work_ = work.get();
  return work;
}

void BufferedScreen::add(std::vector<PixelRect>& rects, const PixelRect& rect) {
  if (rect.empty() || inside_recent(rects, rect, [](const PixelRect& r) { return &r; })) return;
  rects.push_back(rect);
  if (rects.size() > kMaxRects) {
    rects.assign(1, union_of(rects));
  }
}

void BufferedScreen::add_fill(std::size_t memory, const Fill& fill) {
  // Fills of one colour may come in any order, so one inside a recent one
  // adds nothing, unless a fill of another colour came since.
  std::vector<Fill>& fills = fills_[memory];
  const auto same_colour = [&](const Fill& f) {
    return f.colour == fill.colour ? &f.rect : nullptr;
  };
  if (inside_recent(fills, fill.rect, same_colour)) return;
  fills.push_back(fill);
  if (fills.size() > kMaxRects) {
    // A copy gives every pixel as it should be, as the memory composed in
    // last has them.
    PixelRect all = fills.front().rect;
    for (const Fill& f : fills) all = union_of(all, f.rect);
    add(lacks_[memory], all);
    fills.clear();
  }
}

void BufferedScreen::bit_blt(int dx, int dy, int w, int h, const Surface&, int, int, RasterOp) {
  const PixelRect drawn = intersection({dx, dy, w, h}, {0, 0, width_, height_});
  for (std::size_t i = 0; i < areas_.size(); ++i) {
    PixelRect part = intersection(drawn, areas_[i]);
    part.left -= areas_[i].left;
    part.top -= areas_[i].top;
    add(damage_[i], part);
  }
}

bool BufferedScreen::written(const PixelRect& rect, SoftwareSurface::Write write) {
  if (rect.empty()) return true;
  using Kind = SoftwareSurface::Write::Kind;
  const bool fills = write.kind == Kind::fills;
  for (std::size_t m = 0; m < lacks_.size(); ++m) {
    // Nothing to record where the memory is to copy what it lacks anyway
    // (after its fills, from a memory that has this write too): in a
    // memory left behind for long, that is one rectangle covering all.
    if (m == current_ || (!lacks_[m].empty() && lacks_[m].front().contains(rect))) continue;
    if (fills) {
      add_fill(m, {rect, write.colour});
    } else {
      add(lacks_[m], rect);
    }
  }
  if (write.kind == Kind::reads) {
    bring_up_to_date();
  } else {
    covered(rect);
  }
  if (!fills || clean_[current_] != write.colour) {
    make_dirty(current_, rect);
    return true;
  }
  // (Checked only while few are dirty, as they are when erasing in a frame
  // whose fills were just made.)
  const std::vector<PixelRect>& dirty = dirty_[current_];
  constexpr std::size_t kFewDirty = 64;
  return dirty.size() > kFewDirty ||
         std::any_of(dirty.begin(), dirty.end(), [&](const auto& d) { return d.overlaps(rect); });
}

void BufferedScreen::make_dirty(std::size_t memory, const PixelRect& rect) {
  if (!clean_[memory]) return;
  dirty_[memory].push_back(rect);
  if (dirty_[memory].size() > kMaxRects) {
    clean_[memory].reset();
    dirty_[memory].clear();
  }
}

void BufferedScreen::begin_frame() {
  std::array<bool, kBuffers> busy{};
  for (const auto& read : reading_) {
    for (std::size_t i = 0; i < kBuffers; ++i) busy[i] = busy[i] || read[i];
  }
  std::size_t target = kOwn;
  if (current_ < kBuffers && !busy[current_]) {
    target = current_;
  } else {
    const auto free = std::find(busy.begin(), busy.end(), false);
    if (free != busy.end()) target = std::size_t(free - busy.begin());
  }
  bring_up_to_date();
  unshown_ = target < kBuffers;
  if (target == current_) return;
  behind_ = current_;
  covered_.clear();
  current_ = target;
  if (work_ != nullptr) {
    static_cast<SoftwareSurface&>(*work_) =
        SoftwareSurface::over(memories_[target], width_, height_);
  }
  refill(target);
  if (lacks_[target].empty()) behind_.reset();
}

void BufferedScreen::refill(std::size_t memory) {
  // Filled now, before anything is written: what this frame writes comes
  // after, and copies that follow correct any fill that was not the last
  // write.  (So a frame that only erased and drew needs no copy at all, nor
  // the record of what it covers.)
  const auto stride = std::size_t(width_);
  for (const Fill& f : fills_[memory]) {
    std::uint32_t* first =
        memories_[memory].data() + std::size_t(f.rect.top) * stride + std::size_t(f.rect.left);
    pixels::fill_rect({first, stride}, std::size_t(f.rect.height), std::size_t(f.rect.width),
                      f.colour);
  }
  // What a fill of the clean colour covers is clean again, when all are of
  // that colour (else their order would matter).
  std::vector<PixelRect>& dirty = dirty_[memory];
  const std::optional<std::uint32_t> clean = clean_[memory];
  if (std::any_of(fills_[memory].begin(), fills_[memory].end(),
                  [&](const Fill& f) { return f.colour != clean; })) {
    for (const Fill& f : fills_[memory]) make_dirty(memory, f.rect);
  } else if (clean) {
    scratch_.clear();
    for (const Fill& f : fills_[memory]) scratch_.push_back(f.rect);
    drop_inside(dirty, scratch_);
  }
  fills_[memory].clear();
}

void BufferedScreen::covered(const PixelRect& rect) {
  if (!behind_) return;
  // (Their cover would claim more than they cover: too many, copy now.)
  if (covered_.size() == kMaxRects) bring_up_to_date();
  covered_.push_back(rect);
}

void BufferedScreen::bring_up_to_date() {
  if (!behind_) return;
  const std::uint32_t* from = memories_[*std::exchange(behind_, std::nullopt)].data();
  std::uint32_t* into = memories_[current_].data();
  // (Most lie inside one: a kernel drawn last frame is erased in this.)
  drop_inside(lacks_[current_], covered_);
  if (lacks_[current_].empty()) return;
  // The covered rectangles by their left edges: those that can meet a
  // rectangle start less than the widest one before it.
  std::sort(covered_.begin(), covered_.end(),
            [](const PixelRect& a, const PixelRect& b) { return a.left < b.left; });
  std::int32_t widest = 0;
  for (const PixelRect& c : covered_) widest = std::max(widest, c.width);
  std::vector<PixelRect>& parts = scratch_;
  for (const PixelRect& lack : lacks_[current_]) {
    const auto first = std::partition_point(covered_.begin(), covered_.end(), [&](const auto& c) {
      return c.left + widest <= lack.left;
    });
    const auto last = std::partition_point(first, covered_.end(), [&](const auto& c) {
      return c.left < lack.left + lack.width;
    });
    outside(lack, std::span(first, last), parts);
    // (Many are narrow: row by row here, without a transfer's checks.)
    for (const PixelRect& r : parts) {
      for (std::int32_t y = r.top; y < r.top + r.height; ++y) {
        const std::size_t at = std::size_t(y) * std::size_t(width_) + std::size_t(r.left);
        std::copy_n(from + at, r.width, into + at);
      }
      make_dirty(current_, r);
    }
  }
  lacks_[current_].clear();
}

std::optional<std::size_t> BufferedScreen::frame_to_show() {
  bring_up_to_date();
  const bool changed =
      std::any_of(damage_.begin(), damage_.end(), [](const auto& rects) { return !rects.empty(); });
  if (!changed || !std::exchange(unshown_, false)) return std::nullopt;
  for (auto& read : reading_) read[current_] = true;
  return current_;
}

std::vector<PixelRect> BufferedScreen::take_damage(std::size_t area) {
  // Fewer, larger rectangles of no more pixels: fewer requests.
  std::vector<PixelRect> damage = std::exchange(damage_[area], {});
  damage.resize(merge_touching(damage));
  return damage;
}

}  // namespace fizzlet
