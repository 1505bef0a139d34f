#include "saver/frame_composer.h"

#include "saver/pixel_loops.h"

namespace fizzlet {

namespace {

PixelRect bounds(const Surface& surface) { return {0, 0, surface.width(), surface.height()}; }

// A transfer clipped as through views of area on both sides (SurfaceArea):
// first to the area, then, in window coordinates, to the surfaces' edges.
// A source that is not a view (the sheet) has its own bounds and position.
Transfer clip_in_area(const Transfer& transfer, const PixelRect& area, const PixelRect& target,
                      const PixelRect& source, bool source_in_area) {
  const PixelRect local{0, 0, area.width, area.height};
  Transfer t = clip_transfer(transfer, local, source_in_area ? local : source);
  if (t.empty()) return t;
  t.target.left += area.left;
  t.target.top += area.top;
  if (source_in_area) {
    t.source_left += area.left;
    t.source_top += area.top;
  }
  return clip_transfer(t, target, source);
}

std::size_t at(const Surface& surface, std::int32_t x, std::int32_t y) {
  return std::size_t(y) * std::size_t(surface.width()) + std::size_t(x);
}

}  // namespace

bool FrameComposer::start(const CompositorSurfaces& window) {
  steps_.clear();
  work_pixels_ = screen_pixels_ = nullptr;
  work_ = dynamic_cast<SoftwareSurface*>(&window.background_work);
  background_ = dynamic_cast<const SoftwareSurface*>(&window.background_copy);
  sprite_ = dynamic_cast<const SoftwareSurface*>(&window.sprite);
  mask_ = dynamic_cast<const SoftwareSurface*>(&window.mask);
  screen_ = dynamic_cast<SoftwareSurface*>(&window.screen);
  if (screen_ == work_) screen_ = nullptr;
  // A transfer within one surface would need the care of
  // SoftwareSurface::bit_blt: left to it.
  const bool apart = background_ != work_ && sprite_ != work_ && mask_ != work_;
  return work_ != nullptr && background_ != nullptr && sprite_ != nullptr && mask_ != nullptr &&
         apart && sprite_->width() == mask_->width() && sprite_->height() == mask_->height();
}

void FrameComposer::AreaPlan::erase(const PixelRect& where) {
  FrameComposer& c = composer_;
  c.add(Kind::erase, clip_in_area({where, where.left, where.top}, area_, bounds(*c.work_),
                                  bounds(*c.background_), true));
}

void FrameComposer::AreaPlan::draw(std::int32_t x, std::int32_t y, const PixelRect& cell,
                                   bool masked) {
  FrameComposer& c = composer_;
  c.add(masked ? Kind::mask_paint : Kind::paint,
        clip_in_area({{x, y, cell.width, cell.height}, cell.left, cell.top}, area_,
                     bounds(*c.work_), bounds(*c.sprite_), false));
}

void FrameComposer::AreaPlan::present(const PixelRect& where) {
  FrameComposer& c = composer_;
  if (c.screen_ == nullptr) return;
  c.add(Kind::present, clip_in_area({where, where.left, where.top}, area_, bounds(*c.screen_),
                                    bounds(*c.work_), true));
}

void FrameComposer::add(Kind kind, const Transfer& clipped) {
  if (clipped.empty()) return;
  // Taken only for a transfer that writes, as a surface's own transfers
  // stop it counting as one colour only then.
  if (kind == Kind::present) {
    if (screen_pixels_ == nullptr) screen_pixels_ = screen_->pixels_to_draw().data();
  } else if (work_pixels_ == nullptr) {
    work_pixels_ = work_->pixels_to_draw().data();
  }
  steps_.push_back({kind, clipped.target, clipped.source_left, clipped.source_top});
}

void FrameComposer::finish() {
  for (const Step& step : steps_) run(step);
  steps_.clear();
}

void FrameComposer::run(const Step& step) {
  const auto rows = static_cast<std::size_t>(step.target.height);
  const auto count = static_cast<std::size_t>(step.target.width);
  const std::int32_t left = step.target.left;
  const std::int32_t top = step.target.top;
  const auto rows_of = [&](const SoftwareSurface& surface, std::int32_t x, std::int32_t y) {
    return pixels::SourceRows{surface.pixels().data() + at(surface, x, y),
                              std::size_t(surface.width())};
  };
  if (step.kind == Kind::present) {
    pixels::copy_rect({screen_pixels_ + at(*screen_, left, top), std::size_t(screen_->width())},
                      rows_of(*work_, left, top), rows, count);
    return;
  }
  using Write = SoftwareSurface::Write;
  const Write write = step.kind == Kind::erase ? Write::copy_from(*background_) : Write{};
  if (!work_->before_write(step.target, write)) return;
  const pixels::Rows work{work_pixels_ + at(*work_, left, top), std::size_t(work_->width())};
  switch (step.kind) {
    case Kind::erase:
      if (background_->uniform()) {
        pixels::fill_rect(work, rows, count, background_->uniform_colour());
      } else {
        pixels::copy_rect(work, rows_of(*background_, left, top), rows, count);
      }
      break;
    case Kind::paint:
      pixels::or_rect(work, rows_of(*sprite_, step.sheet_left, step.sheet_top), rows, count);
      break;
    case Kind::mask_paint:
      pixels::mask_paint_rect(work, rows_of(*mask_, step.sheet_left, step.sheet_top),
                              rows_of(*sprite_, step.sheet_left, step.sheet_top), rows, count);
      break;
    case Kind::present:
      break;
  }
}

}  // namespace fizzlet
