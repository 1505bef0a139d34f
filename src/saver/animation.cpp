#include "saver/animation.h"

#include <algorithm>
#include <utility>

#include "settings/settings.h"

namespace fizzlet {

void Animation::init(int width, int height, const Settings& settings, double number_of_colors,
                     std::uint64_t seed) {
  init(MotionSettings{settings.total_fizzlet, settings.pop_chance, width, height}, number_of_colors,
       seed);
}

void Animation::init(const MotionSettings& motion, double number_of_colors, std::uint64_t seed) {
  motion_ = motion;
  motion_.total_fizzlet = limited_total_fizzlet(motion.total_fizzlet);
  random_.reseed(seed);
  init_sprites(sprites_, number_of_colors);
}

void Animation::frame(const CompositorSurfaces& surfaces) {
  blit_old_sprites(sprites_, surfaces);
  move();
  blit_new_sprites(sprites_, surfaces);
  present(surfaces);
}

void SaverScene::set_up(std::span<const PixelRect> areas, const Settings& settings,
                        double number_of_colors, std::uint64_t seed) {
  set_up(areas, MotionSettings{settings.total_fizzlet, settings.pop_chance, 0, 0}, number_of_colors,
         seed);
}

void SaverScene::set_up(std::span<const PixelRect> areas, const MotionSettings& motion,
                        double number_of_colors, std::uint64_t seed) {
  // At least one animation, so that there is always a first one to ask.
  parts_.resize(std::max<std::size_t>(areas.size(), 1));
  for (std::size_t i = 0; i < parts_.size(); ++i) {
    Part& part = parts_[i];
    part.area = i < areas.size() ? areas[i] : PixelRect{};
    MotionSettings m = motion;
    m.width = part.area.width;
    m.height = part.area.height;
    // Distinct, reproducible seeds for the other monitors' animations.
    const std::uint64_t own_seed = seed ^ (0x9E3779B97F4A7C15ULL * i);
    part.animation.init(m, number_of_colors, own_seed);
  }
}

namespace {

// Views of the window-sized surfaces confined to one area; the sheet and its
// mask are used as they are.
struct AreaViews {
  AreaViews(const CompositorSurfaces& window, const PixelRect& area)
      : copy(window.background_copy, area),
        work(window.background_work, area),
        screen(window.screen, area),
        surfaces{copy, work, window.sprite, window.mask, screen} {}
  AreaViews(const AreaViews&) = delete;
  AreaViews& operator=(const AreaViews&) = delete;
  SurfaceArea copy;
  SurfaceArea work;
  SurfaceArea screen;
  CompositorSurfaces surfaces;
};

}  // namespace

void SaverScene::present(const CompositorSurfaces& window) const {
  for (const Part& part : parts_) part.animation.present(AreaViews(window, part.area).surfaces);
}

void SaverScene::frame(const CompositorSurfaces& window) {
  // On surfaces in memory the frame composer collects the transfers and
  // carries them out at the end; otherwise each is one transfer through
  // views of the animation's area.
  const bool composed = composer_.start(window);
  const auto each_part = [&](auto step) {
    for (Part& part : parts_) {
      if (composed) {
        FrameComposer::AreaPlan plan = composer_.plan(part.area);
        step(part.animation.sprites(), plan);
      } else {
        const AreaViews views(window, part.area);
        TransferPlan plan(views.surfaces);
        step(part.animation.sprites(), plan);
      }
    }
  };
  each_part(plan_old_sprites);
  for (Part& part : parts_) part.animation.move();
  each_part(plan_new_sprites);
  const bool presented_here = composed && composer_.presents();
  if (presented_here) each_part(plan_flicker_free);
  if (composed) composer_.finish();
  // A screen of the host's takes the present step's rectangles one by one.
  if (!presented_here) present(window);
}

void Animation::repaint(const CompositorSurfaces& surfaces) {
  surfaces.screen.bit_blt(0, 0, surfaces.screen.width(), surfaces.screen.height(),
                          surfaces.background_copy, 0, 0, RasterOp::src_copy);
}

SoftwareSaver::SoftwareSaver(const DibImage& sprite_sheet, const DibImage& mask_sheet)
    : sprite_(SoftwareSurface::from_image(sprite_sheet)),
      mask_(SoftwareSurface::from_image(mask_sheet)) {}

CompositorSurfaces SoftwareSaver::surfaces(Surface& screen) {
  return CompositorSurfaces{copy_, work_, sprite_, mask_, screen};
}

void SoftwareSaver::start(int width, int height, const MotionSettings& motion,
                          double number_of_colors, std::uint64_t seed,
                          std::span<std::uint32_t> black_memory,
                          std::span<const PixelRect> monitors) {
  // The saver window's set-up: a black window, the work surface and the clean
  // background copied from it, the sprites set up.  New surfaces and the
  // host's memory are black already.
  if (width != copy_.width() || height != copy_.height()) {
    copy_ = SoftwareSurface(width, height);
  } else {
    copy_.fill(0);
  }
  if (!black_memory.empty()) {
    work_ = SoftwareSurface::over(black_memory, width, height, 0u);
  } else if (width != work_.width() || height != work_.height() || !work_.owns_pixels()) {
    work_ = SoftwareSurface(width, height);
  } else {
    work_.fill(0);
  }
  const std::vector<PixelRect> areas =
      animation_areas({0, 0, copy_.width(), copy_.height()}, monitors);
  scene_.set_up(areas, motion, number_of_colors, seed);
}

void SaverScene::redraw(const CompositorSurfaces& window) const {
  Animation::repaint(window);
  present(window);
}

void SoftwareSaver::redraw(Surface& screen) { scene_.redraw(surfaces(screen)); }

HeadlessSaver::HeadlessSaver(int width, int height, const DibImage& sprite_sheet,
                             const DibImage& mask_sheet)
    : HeadlessSaver(width, height, sprite_sheet, mask_sheet, {}) {}

HeadlessSaver::HeadlessSaver(int width, int height, const DibImage& sprite_sheet,
                             const DibImage& mask_sheet, std::vector<PixelRect> monitors)
    : saver_(sprite_sheet, mask_sheet), screen_(width, height), monitors_(std::move(monitors)) {}

void HeadlessSaver::start(const MotionSettings& motion, double number_of_colors,
                          std::uint64_t seed) {
  screen_.fill(0);
  saver_.start(screen_.width(), screen_.height(), motion, number_of_colors, seed, {}, monitors_);
  repaint_requested_ = true;
}

void HeadlessSaver::step() {
  saver_.frame(screen_);
  if (repaint_requested_) {
    repaint_requested_ = false;
    saver_.repaint(screen_);
  }
}

}  // namespace fizzlet
