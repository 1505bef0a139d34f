#pragma once
// A frame's transfers carried out straight on software surfaces.  Through
// the Surface interface every transfer of every kernel is a virtual call,
// a type check of its source and a clip, once more for each monitor's view,
// and a draw through the mask walks the kernel's rows twice.  The frame
// composer collects the frame's transfers as rectangles already clipped and
// then runs them in the same order with plain loops, the mask and the
// sprite of a draw in one walk.  The picture is the same.

#include <cstdint>
#include <vector>

#include "geometry/pixel_rect.h"
#include "saver/compositor.h"
#include "saver/software_surface.h"

namespace fizzlet {

class FrameComposer {
 public:
  // Starts a frame over a window's surfaces.  False, and nothing to do here,
  // unless the work, clean background, sheet and mask are software surfaces
  // (the sheet and mask of one size).
  bool start(const CompositorSurfaces& window);
  // Whether the screen is in memory as well, so that the present step's
  // copies are made here too; otherwise the caller presents once the frame
  // is composed, each rectangle to the screen as before.
  bool presents() const { return screen_ != nullptr; }

  // Collects one animation's transfers; area is its rectangle of the window,
  // and the transfers are clipped to it as a view of it (SurfaceArea) clips.
  class AreaPlan final : public BlitPlan {
   public:
    AreaPlan(FrameComposer& composer, const PixelRect& area) : composer_(composer), area_(area) {}
    void erase(const PixelRect& where) override;
    void draw(std::int32_t x, std::int32_t y, const PixelRect& cell, bool masked) override;
    void present(const PixelRect& where) override;

   private:
    FrameComposer& composer_;
    PixelRect area_;
  };
  AreaPlan plan(const PixelRect& area) { return AreaPlan(*this, area); }

  // Carries out every collected transfer in order and forgets them.
  void finish();

 private:
  enum class Kind : std::uint8_t { erase, paint, mask_paint, present };
  // A transfer already clipped: its rectangle of the window and, for a
  // draw, the corner it reads on the sheet.
  struct Step {
    Kind kind;
    PixelRect target;
    std::int32_t sheet_left;
    std::int32_t sheet_top;
  };
  void add(Kind kind, const Transfer& clipped);
  void run(const Step& step);

  SoftwareSurface* work_ = nullptr;
  const SoftwareSurface* background_ = nullptr;
  const SoftwareSurface* sprite_ = nullptr;
  const SoftwareSurface* mask_ = nullptr;
  SoftwareSurface* screen_ = nullptr;  // null when the screen is not in memory
  std::uint32_t* work_pixels_ = nullptr;
  std::uint32_t* screen_pixels_ = nullptr;
  std::vector<Step> steps_;  // kept from frame to frame: a frame allocates nothing
};

}  // namespace fizzlet
