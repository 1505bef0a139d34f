#pragma once
// One output of the compositor and the saver's full-screen surface on it:
// the output's mode and scale, the size the compositor gives the surface,
// and two shared-memory buffers of the output's pixel size that the
// compositor reads in turn (its area of the screen's two frames).

#include <array>
#include <cstdint>

#include "saver/buffered_screen.h"
#include "saver/wayland/owned.h"

namespace fizzlet::wayland {

struct OutputSurface {
  // The output is the registry's global name, bound.
  OutputSurface(std::uint32_t global, wl_output* bound, wl_compositor* compositor,
                xdg_wm_base* shell);
  OutputSurface(const OutputSurface&) = delete;
  OutputSurface& operator=(const OutputSurface&) = delete;

  // The size of its buffers in pixels, at (0, 0).
  PixelRect pixel_size() const { return {0, 0, width * scale, height * scale}; }
  // Its two buffers: the area's in each of the screen's frames in the
  // pool; the compositor's word that it is done reading one clears its
  // flag in the screen's reading().
  void make_buffers(wl_shm_pool* pool, BufferedScreen& screen, std::size_t area);
  // Shows the buffer, damaged where the rectangles say.
  void show(std::size_t buffer, const std::vector<PixelRect>& damage);

  std::uint32_t name;
  Owned<wl_output> output;
  Owned<wl_surface> surface;
  Owned<xdg_surface> shell_surface;
  Owned<xdg_toplevel> toplevel;
  std::array<Owned<wl_buffer>, BufferedScreen::kBuffers> buffers;
  int mode_width = 0;  // the output's current mode, in pixels
  int mode_height = 0;
  int scale = 1;
  int width = 0;  // the surface, in the compositor's logical units
  int height = 0;
  bool configured = false;  // the compositor has given the surface its size
  bool changed = false;     // its size or scale changed since the last look
  bool close_requested = false;
};

}  // namespace fizzlet::wayland
