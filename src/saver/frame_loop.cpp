#include "saver/frame_loop.h"

namespace fizzlet {

std::uint32_t frame_time_remaining(std::uint32_t frame_start_ms, std::uint32_t now_ms,
                                   std::uint32_t period_ms) {
  // Unsigned subtraction is modulo 2^32, which is exactly the elapsed time
  // across a wrap of the clock.
  const std::uint32_t elapsed = now_ms - frame_start_ms;
  return elapsed >= period_ms ? 0 : period_ms - elapsed;
}

void wait_for_frame_end(FrameHost& host, std::uint32_t frame_start_ms, std::uint32_t period_ms) {
  // The wait itself returns as soon as an event arrives, so events are
  // processed right after each wait, and once even when the frame has
  // overrun its period; processing them before the first wait as well would
  // only cost a second look at an empty queue every frame.
  std::uint32_t remaining = frame_time_remaining(frame_start_ms, host.read_time_ms(), period_ms);
  for (;;) {
    if (remaining > 0) host.wait_for_events(remaining);
    host.process_pending_events();
    remaining = frame_time_remaining(frame_start_ms, host.read_time_ms(), period_ms);
    if (remaining == 0) return;
  }
}

bool finish_frame(SaverFlags& flags, ActivityWindow& window, FrameHost& host) {
  // The window is closed before the activity test, so activity seen during
  // the last frame's wait of a window is discarded with it.
  window.frames += 1;
  if (window.frames >= kActivityWindowFrames) {
    window.frames = 0;
    flags.activity_count = 0;
  }

  if (flags.activity_count > flags.activity_threshold) {
    flags.activity_count = 0;
    if (flags.preview_mode) {
      flags.exit_requested = true;
    } else if (host.password_enabled()) {
      if (!flags.password_dialog_open) {
        flags.password_dialog_open = true;
        host.show_password_dialog();
      }
    } else {
      flags.exit_requested = true;
    }
  }

  if (flags.repaint_requested) {
    flags.repaint_requested = false;
    host.repaint_from_copy();
  }

  host.handle_music();

  // An accepted password sets exit_requested only after closing its dialog;
  // while a dialog is still open the saver keeps going.
  return !flags.exit_requested || flags.password_dialog_open;
}

void main_loop(SaverFlags& flags, ActivityWindow& window, FrameHost& host) {
  for (;;) {
    if (!host.saver_running()) return;
    const std::uint32_t frame_start_ms = host.read_time_ms();
    host.compose_frame(frame_start_ms);
    wait_for_frame_end(host, frame_start_ms);
    if (!finish_frame(flags, window, host)) return;
  }
}

void record_key_press(SaverFlags& flags) { flags.activity_count = flags.activity_threshold + 1; }

void record_mouse_move(SaverFlags& flags) { flags.activity_count += 1; }

bool MouseMoveFilter::moved(PointerPosition position) {
  const bool first = !last_.has_value();
  const bool changed = first || *last_ != position;
  last_ = position;
  return changed && !first;
}

bool keyboard_close_allowed(const SaverFlags& flags, bool password_on) {
  return flags.preview_mode || !password_on;
}

}  // namespace fizzlet
