#pragma once
// The compositor's view of a drawable surface: a rectangle of pixels that can
// receive bit-block transfers from another surface.  SoftwareSurface
// (software_surface.h) is the portable one; the hosts' screens are surfaces
// too: GdiSurface over a window's device context
// (graphics/win32/gdi_surface.h), the X11 ImageScreen (x11/image_screen.h) and
// the Wayland outputs' BufferedScreen (buffered_screen.h).

#include <cstdint>

namespace fizzlet {

// Windows ternary raster-operation codes, with the same effect on every surface.
enum class RasterOp : std::uint32_t {
  src_copy = 0x00CC0020,   // destination = source
  src_and = 0x008800C6,    // destination = destination AND source
  src_paint = 0x00EE0086,  // destination = destination OR source
};

class Surface {
 public:
  virtual ~Surface() = default;
  virtual int width() const = 0;
  virtual int height() const = 0;
  // Copies the w x h rectangle at (sx, sy) of source to (dx, dy) of this
  // surface with the given operation, clipped at the edges of both surfaces.
  virtual void bit_blt(int dx, int dy, int w, int h, const Surface& source, int sx, int sy,
                       RasterOp op) = 0;
};

}  // namespace fizzlet
