#include "saver/wayland/output_surface.h"

namespace fizzlet::wayland {
namespace {

OutputSurface& self(void* data) { return *static_cast<OutputSurface*>(data); }

// The output's mode and scale; its name and place are the compositor's.
const wl_output_listener kOutputListener = {
    .geometry = [](void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                   const char*, int32_t) {},
    .mode =
        [](void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
          if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
          self(data).mode_width = width;
          self(data).mode_height = height;
        },
    .done = [](void*, wl_output*) {},
    .scale =
        [](void* data, wl_output*, int32_t scale) {
          if (scale < 1 || scale == self(data).scale) return;
          self(data).scale = scale;
          self(data).changed = true;
        },
};

// The size (zero: the saver's choice, the output's mode in logical units),
// then the configure to acknowledge.
const xdg_toplevel_listener kToplevelListener = {
    .configure =
        [](void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
          OutputSurface& s = self(data);
          width = width > 0 ? width : s.mode_width / s.scale;
          height = height > 0 ? height : s.mode_height / s.scale;
          s.changed = s.changed || !s.configured || width != s.width || height != s.height;
          s.width = width;
          s.height = height;
        },
    .close = [](void* data, xdg_toplevel*) { self(data).close_requested = true; },
};

const xdg_surface_listener kShellSurfaceListener = {
    .configure =
        [](void* data, xdg_surface* shell_surface, uint32_t serial) {
          xdg_surface_ack_configure(shell_surface, serial);
          self(data).configured = true;
        },
};

const wl_buffer_listener kBufferListener = {
    .release = [](void* data, wl_buffer*) { *static_cast<bool*>(data) = false; },
};

}  // namespace

OutputSurface::OutputSurface(std::uint32_t global, wl_output* bound, wl_compositor* compositor,
                             xdg_wm_base* shell)
    : name(global),
      output(bound),
      surface(wl_compositor_create_surface(compositor)),
      shell_surface(xdg_wm_base_get_xdg_surface(shell, surface.get())),
      toplevel(xdg_surface_get_toplevel(shell_surface.get())) {
  wl_output_add_listener(bound, &kOutputListener, this);
  xdg_surface_add_listener(shell_surface.get(), &kShellSurfaceListener, this);
  xdg_toplevel_add_listener(toplevel.get(), &kToplevelListener, this);
  xdg_toplevel_set_title(toplevel.get(), "fizzlet");
  xdg_toplevel_set_app_id(toplevel.get(), "fizzlet");
  xdg_toplevel_set_fullscreen(toplevel.get(), bound);
  // Without a buffer: the compositor answers with the surface's size.
  wl_surface_commit(surface.get());
}

void OutputSurface::make_buffers(wl_shm_pool* pool, BufferedScreen& screen, std::size_t area) {
  const PixelRect& at = screen.areas()[area];
  for (std::size_t i = 0; i < buffers.size(); ++i) {
    const auto offset = static_cast<int32_t>(screen.buffer_start(area, i) * 4);
    buffers[i].reset(wl_shm_pool_create_buffer(pool, offset, at.width, at.height,
                                               screen.width() * 4, WL_SHM_FORMAT_XRGB8888));
    wl_buffer_add_listener(buffers[i].get(), &kBufferListener, &screen.reading(area)[i]);
  }
  wl_surface_set_buffer_scale(surface.get(), scale);
}

void OutputSurface::show(std::size_t buffer, const std::vector<PixelRect>& damage) {
  wl_surface_attach(surface.get(), buffers[buffer].get(), 0, 0);
  for (const PixelRect& r : damage) {
    wl_surface_damage_buffer(surface.get(), r.left, r.top, r.width, r.height);
  }
  wl_surface_commit(surface.get());
}

}  // namespace fizzlet::wayland
