#pragma once
// The animation as one object: set up once, then one call per frame that runs
// erase -> move -> draw -> present over the given surfaces.  SaverScene puts
// one animation on each monitor; the saver session (session.h) and the
// headless renderer run scenes, the window hosts only give them a screen.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "saver/compositor.h"
#include "saver/dib.h"
#include "saver/frame_composer.h"
#include "saver/motion.h"
#include "saver/random.h"
#include "saver/screen_areas.h"
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
  // Steps one by one, for a scene that runs several animations over one
  // window and finishes each step for all of them first.
  void move() { move_sprites(sprites_, motion_, random_); }
  void present(const CompositorSurfaces& surfaces) const { blit_flicker_free(sprites_, surfaces); }

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

// The animations of one saver window: one per area (monitor, see
// screen_areas.h), each with its own kernels along its own bottom edge and
// the same settings.  Meant to live as long as the program, like the kernel
// table: setting up again for a new window (a second Preview) keeps every
// animation's kernel table, so each slot resumes its roll from its old step
// and position.
class SaverScene {
 public:
  // Prepares one animation per area (window coordinates) for a run with
  // these settings (their width and height are ignored: each animation
  // takes its area's); the first animations keep their kernel tables, new
  // areas get fresh ones, areas gone take theirs away (one is always kept).
  // The first animation is seeded with seed itself, the others with values
  // derived from it.
  void set_up(std::span<const PixelRect> areas, const MotionSettings& motion,
              double number_of_colors, std::uint64_t seed);
  void set_up(std::span<const PixelRect> areas, const Settings& settings, double number_of_colors,
              std::uint64_t seed);

  // One frame over the whole window's surfaces: every animation erases, then
  // every one moves, draws and presents, each confined to its own area, so
  // that on overlapping monitors no animation erases what another has just
  // drawn.  On surfaces in memory the frame composer (frame_composer.h)
  // carries the transfers out.
  void frame(const CompositorSurfaces& window);
  // Only the present step again, every animation over its own area.
  void present(const CompositorSurfaces& window) const;
  // The whole current frame again, for a screen that has lost its picture
  // (an exposed window): the clean background, then each kernel's rectangle
  // from the work surface, which holds nothing else.
  void redraw(const CompositorSurfaces& window) const;

  std::size_t size() const { return parts_.size(); }
  const PixelRect& area(std::size_t i) const { return parts_[i].area; }
  const Animation& animation(std::size_t i) const { return parts_[i].animation; }
  Animation& animation(std::size_t i) { return parts_[i].animation; }

 private:
  struct Part {
    PixelRect area;
    Animation animation;
  };
  std::vector<Part> parts_ = std::vector<Part>(1);
  FrameComposer composer_;
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
  // Run again when the screen changes size; the kernel tables live on, so
  // each slot resumes its roll where it was.
  // The work surface composes in black_memory when the host gives it (zeroed
  // memory of at least width x height pixels that it keeps alive, such as
  // the image its window system reads), else in memory of its own.
  // Several monitors (in screen coordinates) each get an animation of their
  // own (animation_areas).
  void start(int width, int height, const MotionSettings& motion, double number_of_colors,
             std::uint64_t seed, std::span<std::uint32_t> black_memory = {},
             std::span<const PixelRect> monitors = {});
  // One frame presented on screen.
  void frame(Surface& screen) { scene_.frame(surfaces(screen)); }
  // The clean background over the whole screen.
  void repaint(Surface& screen) { Animation::repaint(surfaces(screen)); }
  // The whole current frame again (SaverScene::redraw).
  void redraw(Surface& screen);

  int width() const { return work_.width(); }
  int height() const { return work_.height(); }
  // The complete current frame, what the screen should show.
  const SoftwareSurface& work() const { return work_; }
  // The first (with one monitor: the only) animation, and all of them.
  const Animation& animation() const { return scene_.animation(0); }
  Animation& animation() { return scene_.animation(0); }
  const SaverScene& scene() const { return scene_; }
  CompositorSurfaces surfaces(Surface& screen);

 private:
  SoftwareSurface copy_;
  SoftwareSurface work_;
  SoftwareSurface sprite_;
  SoftwareSurface mask_;
  SaverScene scene_;
};

// A complete saver without a window: a SoftwareSaver whose screen is a
// persistent buffer that receives only what a monitor would: the rectangles
// the present step copies and the saver window's full repaints (at set-up,
// and after the first frame).
class HeadlessSaver {
 public:
  HeadlessSaver(int width, int height, const DibImage& sprite_sheet, const DibImage& mask_sheet);
  // The same over several monitors: monitors in screen coordinates, split
  // as the saver window splits them (animation_areas).
  HeadlessSaver(int width, int height, const DibImage& sprite_sheet, const DibImage& mask_sheet,
                std::vector<PixelRect> monitors);

  void start(const MotionSettings& motion, double number_of_colors, std::uint64_t seed);
  // One frame, then the full repaint if one is pending.
  void step();
  // Asks for a full repaint at the end of the next frame.
  void request_repaint() { repaint_requested_ = true; }

  const SoftwareSurface& screen() const { return screen_; }
  const SoftwareSurface& work() const { return saver_.work(); }
  const Animation& animation() const { return saver_.animation(); }
  Animation& animation() { return saver_.animation(); }
  const SaverScene& scene() const { return saver_.scene(); }
  CompositorSurfaces surfaces() { return saver_.surfaces(screen_); }

 private:
  SoftwareSaver saver_;
  SoftwareSurface screen_;
  std::vector<PixelRect> monitors_;
  bool repaint_requested_ = false;
};

}  // namespace fizzlet
