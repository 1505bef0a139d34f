#pragma once
// Several monitors under one saver window.  The window covers the whole
// virtual screen; every monitor gets an animation of its own over its own
// rectangle, so that each looks like the saver on a single screen.  This
// file holds the split (which rectangles get an animation) and the surface
// view that confines an animation to its rectangle.

#include <cstdint>
#include <span>
#include <vector>

#include "geometry/pixel_rect.h"
#include "saver/surface.h"

namespace fizzlet {

// The animation areas of a saver window that covers window (in desktop
// coordinates, which may be negative left of or above the primary monitor),
// in the window's own coordinates.  One area per monitor, in the order
// given; monitors with the same rectangle (mirrored displays) share one,
// monitors that merely overlap keep their own; the part of a monitor outside
// the window is cut off and a monitor wholly outside it is dropped.  Without
// any monitor left, the whole window is the one area.
std::vector<PixelRect> animation_areas(const PixelRect& window,
                                       std::span<const PixelRect> monitors);

// One rectangle of another surface seen as a surface of its own: (0, 0) is
// the rectangle's top-left corner, and transfers are clipped to the
// rectangle (and, when the source is such a view too, to the source's).
// The underlying surfaces clip at their own edges as usual.  A view of a
// surface that may only be read serves as a source only: transfers to it do
// nothing.
class SurfaceArea final : public Surface {
 public:
  SurfaceArea(Surface& target, const PixelRect& area)
      : target_(&target), base_(&target), area_(area) {}
  SurfaceArea(const Surface& source, const PixelRect& area) : base_(&source), area_(area) {}

  int width() const override { return area_.width; }
  int height() const override { return area_.height; }
  void bit_blt(int dx, int dy, int w, int h, const Surface& source, int sx, int sy,
               RasterOp op) override;

 private:
  Surface* target_ = nullptr;  // null for a view that may only be read
  const Surface* base_;
  PixelRect area_;
};

}  // namespace fizzlet
