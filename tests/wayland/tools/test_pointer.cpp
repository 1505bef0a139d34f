// A pointer for the Wayland tests: a virtual pointer device on the
// compositor's seat, moved COUNT times by a few pixels, PAUSE_MS apart.
//
//   fizzlet-test-pointer COUNT PAUSE_MS

#include <unistd.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "virtual-pointer-client-protocol.h"

namespace {

struct Globals {
  wl_seat* seat = nullptr;
  zwlr_virtual_pointer_manager_v1* manager = nullptr;
};

void on_global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  auto& globals = *static_cast<Globals*>(data);
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && globals.seat == nullptr) {
    globals.seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
    globals.manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
  }
}

void on_global_remove(void*, wl_registry*, uint32_t) {}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: fizzlet-test-pointer COUNT PAUSE_MS\n", stderr);
    return 2;
  }
  const int count = std::atoi(argv[1]);
  const int pause_ms = std::atoi(argv[2]);
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return 1;
  Globals globals;
  const wl_registry_listener listener = {on_global, on_global_remove};
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &listener, &globals);
  wl_display_roundtrip(display);
  if (globals.manager == nullptr) return 1;
  zwlr_virtual_pointer_v1* pointer =
      zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager, globals.seat);
  wl_display_roundtrip(display);
  // The seat has a pointer now: the clients take theirs before it moves.
  usleep(500000);
  for (int i = 0; i < count; ++i) {
    const int step = (i % 2 == 0) ? 7 : -5;
    zwlr_virtual_pointer_v1_motion(pointer, static_cast<uint32_t>(i), wl_fixed_from_int(step),
                                   wl_fixed_from_int(3));
    zwlr_virtual_pointer_v1_frame(pointer);
    wl_display_flush(display);
    usleep(static_cast<useconds_t>(pause_ms) * 1000);
  }
  wl_display_roundtrip(display);
  // (The pointer goes with the connection: only this side's objects are freed.)
  wl_proxy_destroy(reinterpret_cast<wl_proxy*>(pointer));
  wl_proxy_destroy(reinterpret_cast<wl_proxy*>(globals.manager));
  if (globals.seat != nullptr) wl_seat_destroy(globals.seat);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return 0;
}
