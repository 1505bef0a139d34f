#include "saver/wayland/saver_host.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "music/fluidsynth/fluid_music.h"
#include "saver/native_host.h"
#include "saver/posix/posix_host.h"
#include "saver/posix/shared_memory.h"
#include "saver/posix/sheet_images.h"
#include "saver/session.h"
#include "saver/wayland/output_surface.h"

namespace fizzlet::wayland {
namespace {

// The compositor asks now and then whether the program still answers.
const xdg_wm_base_listener kShellListener = {
    .ping = [](void*, xdg_wm_base* shell, uint32_t serial) { xdg_wm_base_pong(shell, serial); },
};

// The saver's Wayland window system: the globals, one surface per output
// (their buffers side by side on the session's screen, an animation area
// each), the seat's keyboard and pointer; the session does the rest.
class WaylandHost final : public posix::PosixHost {
 public:
  WaylandHost(wl_display* display, Settings& settings, SaverMusicControl& music,
              const SpriteSheets& sheets)
      // The compositor answers every frame shown (it gives back the buffer
      // shown before): its events wait for the end of the frame's wait, so
      // that a frame costs one wake-up, as on X11.
      : PosixHost(music, false),
        display_(display),
        session_(*this, settings, keep_, &sheets.sprite, &sheets.mask,
                 SessionOptions{false, nullptr, frame_log_path()}) {}

  int run() {
    wl_registry_add_listener(registry_.get(), &kRegistryListener, this);
    // The globals, then the surfaces' first configures (after the outputs'
    // modes and scales).
    wl_display_roundtrip(display_);
    const bool usable = compositor_ && shm_ && shell_;
    while (usable && make_new_outputs() && configured().size() < outputs_.size() &&
           wl_display_roundtrip(display_) >= 0) {
    }
    if (!usable || outputs_.empty() || configured().size() < outputs_.size()) {
      return cannot_run("the compositor shows no output, or lacks xdg-shell or wl_shm");
    }
    session_.start_run();
    return run_to_end(session_, covering(layout()));
  }

  // SaverHost
  std::optional<ScreenSurfaces> open_screen(int width, int height, std::string& error) override {
    shown_ = configured();
    posix::SharedMemory memory(BufferedScreen::memory_pixels(width, height) * 4);
    if (!memory) {
      error = "cannot make the shared memory of the outputs' buffers";
      shown_.clear();
      return std::nullopt;
    }
    memory_ = std::move(memory);  // (the outputs' old buffers go below)
    const Owned<wl_shm_pool> pool(
        wl_shm_create_pool(shm_.get(), memory_.fd(), static_cast<int32_t>(memory_.size())));
    screen_ = std::make_unique<BufferedScreen>(width, height, layout(),
                                               memory_.pixels(0, memory_.size() / 4));
    for (std::size_t i = 0; i < shown_.size(); ++i) {
      shown_[i]->changed = false;
      shown_[i]->make_buffers(pool.get(), *screen_, i);
    }
    return ScreenSurfaces{screen_.get(), screen_->work_surface(),
                          std::make_unique<SoftwareSurface>(width, height)};
  }
  double number_of_colors() override { return get_numberofcolors(24, 1); }
  std::vector<PixelRect> monitors() override { return screen_->areas(); }
  // The frame is composed where no output reads.
  void begin_drawing() override { screen_->begin_frame(); }
  void end_drawing() override {
    if (const std::optional<std::size_t> frame = screen_->frame_to_show()) {
      for (std::size_t i = 0; i < shown_.size(); ++i) {
        shown_[i]->show(*frame, screen_->take_damage(i));
      }
    }
    wl_display_flush(display_);
  }
  void wait_until_shown() override { wl_display_roundtrip(display_); }
  // Each surface hides the pointer when it enters.
  void set_cursor_visible(bool) override {}

 private:
  // PosixHost: the events are read after the wait, from a read prepared
  // before it.
  int connection_fd() override { return wl_display_get_fd(display_); }
  bool events_waiting() override {
    wl_display_flush(display_);
    if (!reading_) reading_ = wl_display_prepare_read(display_) == 0;
    return !reading_;
  }
  void end_by_signal() override { session_.stop(); }
  void handle_window_events() override;

  static const wl_registry_listener kRegistryListener;
  static const wl_seat_listener kSeatListener;
  static const wl_pointer_listener kPointerListener;
  static const wl_keyboard_listener kKeyboardListener;

  std::vector<OutputSurface*> configured() const {
    std::vector<OutputSurface*> ready;
    for (const auto& output : outputs_) {
      if (output->configured) ready.push_back(output.get());
    }
    return ready;
  }
  // Every configured output's buffers side by side on one screen.
  std::vector<PixelRect> layout() const {
    std::vector<PixelRect> sizes;
    for (const OutputSurface* output : configured()) sizes.push_back(output->pixel_size());
    return side_by_side(sizes);
  }
  // A surface for each output announced since; false while there is none.
  bool make_new_outputs() {
    for (auto [name, output] : new_outputs_) {
      outputs_.push_back(
          std::make_unique<OutputSurface>(name, output, compositor_.get(), shell_.get()));
    }
    new_outputs_.clear();
    return !outputs_.empty();
  }
  void remove_output(std::uint32_t name) {
    if (std::erase_if(outputs_, [&](const auto& output) { return output->name == name; }) > 0) {
      shown_.clear();  // until the next set-up
      layout_changed_ = true;
    }
  }
  void keymap(const std::string& text) {
    keymap_.reset(xkb_keymap_new_from_string(xkb_.get(), text.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                             XKB_KEYMAP_COMPILE_NO_FLAGS));
    key_state_.reset(keymap_ ? xkb_state_new(keymap_.get()) : nullptr);
  }
  void key_pressed(std::uint32_t key);

  wl_display* display_;
  SaverKeep keep_;
  SaverSession session_;
  Owned<wl_registry> registry_{wl_display_get_registry(display_)};
  Owned<wl_compositor> compositor_;
  Owned<wl_shm> shm_;
  Owned<xdg_wm_base> shell_;
  Owned<wl_seat> seat_;
  Owned<wl_pointer> pointer_;
  Owned<wl_keyboard> keyboard_;
  Owned<xkb_context> xkb_{xkb_context_new(XKB_CONTEXT_NO_FLAGS)};
  Owned<xkb_keymap> keymap_;
  Owned<xkb_state> key_state_;
  std::vector<std::pair<std::uint32_t, wl_output*>> new_outputs_;
  std::vector<std::unique_ptr<OutputSurface>> outputs_;
  std::vector<OutputSurface*> shown_;  // the outputs of the current screen, in its order
  posix::SharedMemory memory_;  // the screen's two frames, the outputs' buffers in them
  std::unique_ptr<BufferedScreen> screen_;
  bool layout_changed_ = false;
  bool reading_ = false;
};

WaylandHost& host(void* data) { return *static_cast<WaylandHost*>(data); }

const wl_registry_listener WaylandHost::kRegistryListener = {
    .global =
        [](void* data, wl_registry* registry, uint32_t name, const char* interface,
           uint32_t version) {
          WaylandHost& h = host(data);
          const auto bind = [&]<typename T>(Owned<T>& bound, const wl_interface& kind,
                                            uint32_t wanted) {
            if (std::strcmp(interface, kind.name) != 0 || version < wanted) return false;
            bound.reset(static_cast<T*>(wl_registry_bind(registry, name, &kind, wanted)));
            return true;
          };
          Owned<wl_output> output;
          if (bind(h.compositor_, wl_compositor_interface, 4) ||
              bind(h.shm_, wl_shm_interface, 1)) {
          } else if (bind(h.shell_, xdg_wm_base_interface, 1)) {
            xdg_wm_base_add_listener(h.shell_.get(), &kShellListener, nullptr);
          } else if (!h.seat_ && bind(h.seat_, wl_seat_interface, 1)) {
            wl_seat_add_listener(h.seat_.get(), &kSeatListener, data);
          } else if (bind(output, wl_output_interface, 2)) {
            h.new_outputs_.emplace_back(name, output.release());
          }
        },
    .global_remove = [](void* data, wl_registry*,
                        uint32_t name) { host(data).remove_output(name); },
};

// A keyboard and a pointer as the seat has them (a virtual keyboard may come
// and go).
const wl_seat_listener WaylandHost::kSeatListener = {
    .capabilities =
        [](void* data, wl_seat* seat, uint32_t capabilities) {
          WaylandHost& h = host(data);
          h.pointer_.reset();
          h.keyboard_.reset();
          if ((capabilities & WL_SEAT_CAPABILITY_POINTER) != 0) {
            h.pointer_.reset(wl_seat_get_pointer(seat));
            wl_pointer_add_listener(h.pointer_.get(), &kPointerListener, data);
          }
          if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0) {
            h.keyboard_.reset(wl_seat_get_keyboard(seat));
            wl_keyboard_add_listener(h.keyboard_.get(), &kKeyboardListener, data);
          }
        },
};

// The pointer is hidden over the saver's surfaces; its movement (a change of
// position on a surface) is activity, its buttons and wheel are not (as on
// X11).
const wl_pointer_listener WaylandHost::kPointerListener = {
    .enter =
        [](void* data, wl_pointer* pointer, uint32_t serial, wl_surface*, wl_fixed_t x,
           wl_fixed_t y) {
          wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
          host(data).session_.pointer_moved({wl_fixed_to_int(x), wl_fixed_to_int(y)});
        },
    .leave = [](void*, wl_pointer*, uint32_t, wl_surface*) {},
    .motion =
        [](void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
          host(data).session_.pointer_moved({wl_fixed_to_int(x), wl_fixed_to_int(y)});
        },
    .button = [](void*, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t) {},
    .axis = [](void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {},
};

const wl_keyboard_listener WaylandHost::kKeyboardListener = {
    .keymap =
        [](void* data, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
          std::string text(size, '\0');
          if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 &&
              pread(fd, text.data(), size, 0) == static_cast<ssize_t>(size)) {
            host(data).keymap(text);
          }
          close(fd);
        },
    .enter = [](void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {},
    .leave = [](void*, wl_keyboard*, uint32_t, wl_surface*) {},
    .key =
        [](void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state) {
          if (state == WL_KEYBOARD_KEY_STATE_PRESSED) host(data).key_pressed(key);
        },
    // (Whether a key types a character does not depend on the modifiers.)
    .modifiers = [](void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {},
};

void WaylandHost::key_pressed(std::uint32_t key) {
  if (!key_state_) return;
  const xkb_keycode_t code = key + 8;  // evdev codes are eight below XKB's
  const xkb_keysym_t symbol = xkb_state_key_get_one_sym(key_state_.get(), code);
  char text[8];
  const int length = xkb_state_key_get_utf8(key_state_.get(), code, text, sizeof text);
  if (!key_counts(length > 0 ? std::size_t(length) : 0,
                  symbol == XKB_KEY_Delete || symbol == XKB_KEY_KP_Delete)) {
    return;
  }
  char name[64];
  xkb_keysym_get_name(symbol, name, sizeof name);
  session_.key_typed(name);
}

// The compositor's end (never a busy loop) or a close request end the
// saver; a new, changed or removed output sets the screen up again (the
// last one gone ends it).
void WaylandHost::handle_window_events() {
  if ((std::exchange(reading_, false) && wl_display_read_events(display_) != 0) ||
      wl_display_dispatch_pending(display_) < 0) {
    session_.stop();
    return;
  }
  make_new_outputs();  // each joins the screen once configured
  for (const auto& output : outputs_) {
    if (output->close_requested) session_.stop();
    layout_changed_ = layout_changed_ || std::exchange(output->changed, false);
  }
  if (outputs_.empty()) session_.stop();
  if (!std::exchange(layout_changed_, false) || configured().empty()) return;
  const PixelRect window = covering(layout());
  session_.rearranged(window.width, window.height);
}

}  // namespace

std::optional<int> run_saver(const SaverTarget& target, Settings& settings) {
  const Owned<wl_display> display(wl_display_connect(nullptr));
  if (!display) return std::nullopt;
  const std::optional<SpriteSheets> sheets = posix::compiled_sheets();
  if (!sheets) return kExitCannotRun;
  fluidsynth::SaverMusic music(target.soundfont);
  WaylandHost host(display.get(), settings, music, *sheets);
  return host.run();
}

}  // namespace fizzlet::wayland
