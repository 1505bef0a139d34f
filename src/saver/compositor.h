#pragma once
// The frame compositor: erase the kernels on the work surface, draw them at
// their new places, and copy each kernel's old-and-new rectangle to the
// screen, so the screen never shows a half-composed frame.

#include <cstdint>

#include "geometry/pixel_rect.h"
#include "saver/sprites.h"
#include "saver/surface.h"

namespace fizzlet {

struct CompositorSurfaces {
  const Surface& background_copy;  // clean background, window-sized
  Surface& background_work;        // the frame being composed, window-sized
  const Surface& sprite;           // the sprite sheet
  const Surface& mask;             // its mask
  Surface& screen;                 // the saver window
};

// A position as a pixel coordinate: nearest whole number, ties to even,
// limited to the 32-bit range (NaN gives 0).
std::int32_t round_half_even(double value);

// The rectangle that covers a kernel's previous whole-pixel position (old_x,
// old_y) and its current position (x, y), with the current cell's size w x h.
PixelRect update_rect(std::int32_t old_x, std::int32_t old_y, double x, double y, std::int32_t w,
                      std::int32_t h);

// A frame's transfers as the steps make them, for a caller that carries them
// out its own way (FrameComposer, frame_composer.h) instead of one
// bit-block transfer each.  Rectangles are in the animation's coordinates.
class BlitPlan {
 public:
  // The rectangle restored from the clean background.
  virtual void erase(const PixelRect& where) = 0;
  // The sheet's cell drawn with its top-left corner at (x, y): through the
  // mask (AND with the mask's cell, then OR), or additively (OR only).
  virtual void draw(std::int32_t x, std::int32_t y, const PixelRect& cell, bool masked) = 0;
  // The rectangle copied from the work surface to the screen.
  virtual void present(const PixelRect& where) = 0;

 protected:
  ~BlitPlan() = default;
};

// A plan carried out at once, one bit-block transfer each.
class TransferPlan final : public BlitPlan {
 public:
  explicit TransferPlan(const CompositorSurfaces& surfaces) : surfaces_(surfaces) {}
  void erase(const PixelRect& where) override;
  void draw(std::int32_t x, std::int32_t y, const PixelRect& cell, bool masked) override;
  void present(const PixelRect& where) override;

 private:
  const CompositorSurfaces& surfaces_;
};

// The three steps below, handing their transfers to a plan.
void plan_old_sprites(Sprites& sprites, BlitPlan& plan);
void plan_new_sprites(const Sprites& sprites, BlitPlan& plan);
void plan_flicker_free(const Sprites& sprites, BlitPlan& plan);

// Erase step: restores each kernel's rectangle from background_copy and
// records where it was.
void blit_old_sprites(Sprites& sprites, const CompositorSurfaces& surfaces);
// Draw step: through the mask (up to 256 colours) or additively.
void blit_new_sprites(const Sprites& sprites, const CompositorSurfaces& surfaces);
// Present step: copies each kernel's update rectangle from the work surface
// to the screen.  So that nothing is left behind on the screen, it also shows
// the cleaned place of a piece taken out of play this frame and of a kernel
// whose cell has just become smaller; a kernel that came into play this frame
// is shown at its new place only.
void blit_flicker_free(const Sprites& sprites, const CompositorSurfaces& surfaces);

// 2 ^ (bits * planes), with the display's values taken as 16-bit integers.
double get_numberofcolors(int bits_per_pixel, int planes);

}  // namespace fizzlet
