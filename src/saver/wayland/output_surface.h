#pragma once
// One output of the compositor and the saver's full-screen surface on it:
// the output's mode and scale, the size the compositor gives the surface,
// and two shared-memory buffers of the output's pixel size that the
// compositor reads in turn.

#include <array>
#include <cstdint>

#include "saver/buffered_screen.h"
#include "saver/posix/shared_memory.h"
#include "saver/software_surface.h"
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
  // Two black buffers of the pixel size; false when they cannot be made.
  bool make_buffers(wl_shm* shm);
  // Shows the area's changes in a buffer that the compositor is not
  // reading; while it reads both, the frame is skipped.
  void present(BufferedScreen& screen, std::size_t area, const SoftwareSurface& frame);

  std::uint32_t name;
  Owned<wl_output> output;
  Owned<wl_surface> surface;
  Owned<xdg_surface> shell_surface;
  Owned<xdg_toplevel> toplevel;
  posix::SharedMemory memory;
  std::array<Owned<wl_buffer>, BufferedScreen::kBuffers> buffers;
  std::array<SoftwareSurface, BufferedScreen::kBuffers> pixels;
  std::array<bool, BufferedScreen::kBuffers> busy{};  // the compositor reads it
  int mode_width = 0;                                 // the output's current mode, in pixels
  int mode_height = 0;
  int scale = 1;
  int width = 0;  // the surface, in the compositor's logical units
  int height = 0;
  bool configured = false;  // the compositor has given the surface its size
  bool changed = false;     // its size or scale changed since the last look
  bool close_requested = false;
};

}  // namespace fizzlet::wayland
