#include "saver/animation.h"

#include "settings/settings.h"

namespace fizzlet {

void Animation::init(int width, int height, const Settings& settings, double number_of_colors,
                     std::uint64_t seed) {
  init(MotionSettings{settings.total_fizzlet, settings.pop_chance, width, height},
       number_of_colors, seed);
}

void Animation::init(const MotionSettings& motion, double number_of_colors, std::uint64_t seed) {
  motion_ = motion;
  motion_.total_fizzlet = limited_total_fizzlet(motion.total_fizzlet);
  random_.reseed(seed);
  init_sprites(sprites_, number_of_colors);
}

void Animation::frame(const CompositorSurfaces& surfaces) {
  blit_old_sprites(sprites_, surfaces);
  move_sprites(sprites_, motion_, random_);
  blit_new_sprites(sprites_, surfaces);
  blit_flicker_free(sprites_, surfaces);
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
                          std::span<std::uint32_t> black_memory) {
  // The saver window's set-up: a black window, the work surface and the clean
  // background copied from it, the sprites set up.  New surfaces and the
  // host's memory are black already.
  if (width != copy_.width() || height != copy_.height()) {
    copy_ = SoftwareSurface(width, height);
  } else {
    copy_.fill(0);
  }
  if (!black_memory.empty()) {
    work_ = SoftwareSurface::over(black_memory, width, height);
  } else if (width != work_.width() || height != work_.height() || !work_.owns_pixels()) {
    work_ = SoftwareSurface(width, height);
  } else {
    work_.fill(0);
  }
  MotionSettings m = motion;
  m.width = copy_.width();
  m.height = copy_.height();
  animation_.init(m, number_of_colors, seed);
}

void SoftwareSaver::redraw(Surface& screen) {
  const CompositorSurfaces s = surfaces(screen);
  Animation::repaint(s);
  blit_flicker_free(animation_.sprites(), s);
}

HeadlessSaver::HeadlessSaver(int width, int height, const DibImage& sprite_sheet,
                             const DibImage& mask_sheet)
    : saver_(sprite_sheet, mask_sheet), screen_(width, height) {}

void HeadlessSaver::start(const MotionSettings& motion, double number_of_colors,
                          std::uint64_t seed) {
  screen_.fill(0);
  saver_.start(screen_.width(), screen_.height(), motion, number_of_colors, seed);
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
