#pragma once
// The animation as one object: set up once, then one call per frame that runs
// erase -> move -> draw -> present over the host's surfaces.  The Windows
// saver window and any other host (the headless renderer, a Linux port) stay
// thin: they own the surfaces and the timing, this owns the kernels.

#include <cstdint>
#include <optional>
#include <span>

#include "saver/compositor.h"
#include "saver/dib.h"
#include "saver/motion.h"
#include "saver/random.h"
#include "saver/software_surface.h"
#include "saver/sprites.h"

namespace fizzlet {

struct Settings;

class Animation {
 public:
  // Seeds the generator, reads the kernel count (limited to 1..100) and the
  // pop chance, and sets up the sprites (init_sprites) for a width x height
  // screen whose colour count is number_of_colors.
  void init(int width, int height, const Settings& settings, double number_of_colors,
            std::uint64_t seed);
  void init(const MotionSettings& motion, double number_of_colors, std::uint64_t seed);

  // One frame: blit_old_sprites, move_sprites, blit_new_sprites, blit_flicker_free.
  void frame(const CompositorSurfaces& surfaces);

  // Copies the whole clean background over the screen (the saver window's
  // full repaint).
  static void repaint(const CompositorSurfaces& surfaces);

  const Sprites& sprites() const { return sprites_; }
  Sprites& sprites() { return sprites_; }
  const MotionSettings& motion() const { return motion_; }
  RandomSource& random() { return random_; }

 private:
  Sprites sprites_{};
  MotionSettings motion_{};
  SeededRandom random_{};
};

// The saver's surfaces in memory and the animation over them: clean
// background and work surfaces of the screen's size, the sprite sheet and its
// mask.  The host supplies the screen: a persistent buffer (HeadlessSaver) or
// a real window, which receives the present step's rectangles and the full
// repaints.
class SoftwareSaver {
 public:
  SoftwareSaver(const DibImage& sprite_sheet, const DibImage& mask_sheet);

  // The saver window's set-up for a width x height screen: black background
  // and work surfaces of that size, and the sprites set up (every slot off).
  // Run again when the screen changes size: the animation starts afresh.
  // The work surface composes in black_memory when the host gives it (zeroed
  // memory of at least width x height pixels that it keeps alive, such as
  // the image its window system reads), else in memory of its own.
  void start(int width, int height, const MotionSettings& motion, double number_of_colors,
             std::uint64_t seed, std::span<std::uint32_t> black_memory = {});
  // One frame presented on screen.
  void frame(Surface& screen) { animation_.frame(surfaces(screen)); }
  // The clean background over the whole screen.
  void repaint(Surface& screen) { Animation::repaint(surfaces(screen)); }
  // The whole current frame again, for a screen that has lost its picture
  // (an exposed window): the clean background, then each kernel's rectangle
  // from the work surface, which holds nothing else.  Only the kernels'
  // pixels need to travel.
  void redraw(Surface& screen);

  int width() const { return work_.width(); }
  int height() const { return work_.height(); }
  // The complete current frame, what the screen should show.
  const SoftwareSurface& work() const { return work_; }
  const Animation& animation() const { return animation_; }
  Animation& animation() { return animation_; }
  CompositorSurfaces surfaces(Surface& screen);

 private:
  SoftwareSurface copy_;
  SoftwareSurface work_;
  SoftwareSurface sprite_;
  SoftwareSurface mask_;
  Animation animation_;
};

// A complete saver without a window: a SoftwareSaver whose screen is a
// persistent buffer that receives only what a monitor would: the rectangles
// the present step copies and the saver window's full repaints (at set-up,
// and after the first frame).
class HeadlessSaver {
 public:
  HeadlessSaver(int width, int height, const DibImage& sprite_sheet, const DibImage& mask_sheet);

  void start(const MotionSettings& motion, double number_of_colors, std::uint64_t seed);
  // One frame, then the full repaint if one is pending.
  void step();
  // Asks for a full repaint at the end of the next frame.
  void request_repaint() { repaint_requested_ = true; }

  const SoftwareSurface& screen() const { return screen_; }
  const SoftwareSurface& work() const { return saver_.work(); }
  const Animation& animation() const { return saver_.animation(); }
  Animation& animation() { return saver_.animation(); }
  CompositorSurfaces surfaces() { return saver_.surfaces(screen_); }

 private:
  SoftwareSaver saver_;
  SoftwareSurface screen_;
  bool repaint_requested_ = false;
};

}  // namespace fizzlet
