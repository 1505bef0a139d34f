#pragma once
// Wayland and xkbcommon objects owned by the host, each released by its own
// destroy function when its owner goes.

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <memory>

#include "xdg-shell-client-protocol.h"

namespace fizzlet::wayland {

// (The protocol's destroy functions are inline, so they are called here
// rather than passed around.)  An object without a destructor request only
// goes on the program's side.
struct Destroy {
  template <typename T>
  void operator()(T* object) const {
    wl_proxy_destroy(reinterpret_cast<wl_proxy*>(object));
  }
  void operator()(wl_display* d) const { wl_display_disconnect(d); }
  void operator()(wl_shm_pool* p) const { wl_shm_pool_destroy(p); }
  void operator()(wl_buffer* b) const { wl_buffer_destroy(b); }
  void operator()(wl_surface* s) const { wl_surface_destroy(s); }
  void operator()(xdg_wm_base* s) const { xdg_wm_base_destroy(s); }
  void operator()(xdg_surface* s) const { xdg_surface_destroy(s); }
  void operator()(xdg_toplevel* t) const { xdg_toplevel_destroy(t); }
  void operator()(xkb_context* c) const { xkb_context_unref(c); }
  void operator()(xkb_keymap* k) const { xkb_keymap_unref(k); }
  void operator()(xkb_state* s) const { xkb_state_unref(s); }
};
template <typename T>
using Owned = std::unique_ptr<T, Destroy>;

}  // namespace fizzlet::wayland
