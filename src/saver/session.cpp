#include "saver/session.h"

#include <cstdio>
#include <utility>

#include "saver/compositor.h"

namespace fizzlet {

ScreenSurfaces memory_surfaces(Surface& screen, int width, int height,
                               std::span<std::uint32_t> work_memory) {
  ScreenSurfaces made;
  made.screen = &screen;
  made.work = work_memory.empty() ? std::make_unique<SoftwareSurface>(width, height)
                                  : std::make_unique<SoftwareSurface>(
                                        SoftwareSurface::over(work_memory, width, height, 0u));
  made.background = std::make_unique<SoftwareSurface>(width, height);
  return made;
}

std::uint64_t session_seed(const SeedValues& values) {
  return values.clock ^ (values.process << 48) ^ (values.process >> 16);
}

namespace {

SoftwareSurface sheet_surface(const DibImage* sheet) {
  return sheet != nullptr ? SoftwareSurface::from_image(*sheet) : SoftwareSurface();
}

}  // namespace

SaverSession::SaverSession(SaverHost& host, Settings& settings, SaverKeep& keep,
                           const DibImage* sprite_sheet, const DibImage* mask_sheet,
                           SessionOptions options)
    : host_(host),
      settings_(settings),
      keep_(keep),
      options_(std::move(options)),
      sprite_(sheet_surface(sprite_sheet)),
      mask_(sheet_surface(mask_sheet)),
      log_(options_.frame_log_path) {
  flags_.preview_mode = options_.preview_mode;
}

void SaverSession::start_run() {
  note("run started");
  running_ = true;
  unload_guard_ = true;
  flags_.activity_threshold = kActivityThreshold;
  host_.music().init_music(settings_);
  activated_ = false;
  host_.set_cursor_visible(false);
  host_.set_system_saver_running(true);
}

bool SaverSession::first_activation() {
  if (activated_) return false;
  activated_ = true;
  note("activated");
  return true;
}

bool SaverSession::set_up(const PixelRect& window) {
  const std::uint64_t seed = session_seed(host_.seed_values());
  flags_.exit_requested = false;
  if (options_.reload_from != nullptr) load_settings(*options_.reload_from, settings_);
  flags_.activity_count = 0;
  flags_.password_dialog_open = false;
  flags_.screen_width_px = window.width;
  flags_.screen_height_px = window.height;

  // The new screen first: should it fail, the session keeps the old one.
  std::optional<ScreenSurfaces> made = host_.open_screen(window.width, window.height, error_);
  if (!made) return false;
  surfaces_ = std::move(*made);
  window_ = window;
  note("surfaces ready");

  keep_.scene.set_up(animation_areas(window, host_.monitors()), settings_, host_.number_of_colors(),
                     seed);
  if (!surfaces_.shows_black) repaint_from_copy();
  flags_.repaint_requested = true;
  note("set-up done");
  return true;
}

void SaverSession::run() {
  main_loop(flags_, keep_.activity_window, *this);
  char text[96];
  std::snprintf(text, sizeof text, "loop ended: saver_running %d, exit_requested %d",
                running_ ? 1 : 0, flags_.exit_requested ? 1 : 0);
  note(text);
  // The end steps: the loop ends the run itself, now without refusal.
  unload_guard_ = false;
}

bool SaverSession::end_run() {
  host_.music().music_off(settings_);
  host_.set_cursor_visible(true);
  host_.set_system_saver_running(false);
  running_ = false;
  return !unload_guard_;
}

void SaverSession::key_typed(std::string_view what) {
  if (logging()) note("key " + std::string(what));
  record_key_press(flags_);
}

void SaverSession::pointer_moved(PointerPosition position) {
  if (!mouse_filter_.moved(position)) return;
  note("mouse move");
  record_mouse_move(flags_);
}

bool SaverSession::keyboard_close_allowed() {
  const bool allowed =
      fizzlet::keyboard_close_allowed(flags_, !flags_.preview_mode && host_.password_enabled());
  note(allowed ? "keyboard close" : "keyboard close refused (password on)");
  return allowed;
}

void SaverSession::resized(int width, int height) {
  const PixelRect& latest = resized_ ? *resized_ : window_;
  if (width == latest.width && height == latest.height) return;
  resized_ = PixelRect{window_.left, window_.top, width, height};
}

void SaverSession::rearranged(int width, int height) {
  resized_ = PixelRect{window_.left, window_.top, width, height};
}

void SaverSession::redraw() {
  if (!surfaces_.screen) return;
  keep_.scene.redraw(surfaces());
  host_.end_drawing();
}

void SaverSession::compose_frame(std::uint32_t frame_start_ms) {
  if (resized_) {
    const PixelRect window = *std::exchange(resized_, std::nullopt);
    if (!set_up(window)) {
      running_ = false;
      return;
    }
  }
  if (log_.sample_due()) log_.resources(frame_start_ms, host_.resource_sample());
  log_.frame(frame_start_ms);
  host_.begin_drawing();
  keep_.scene.frame(surfaces());
  host_.end_drawing();
  if (log_ && !log_.first_presented()) {
    host_.wait_until_shown();
    log_.presented(host_.read_time_ms(), host_.process_age_ms());
  }
}

void SaverSession::show_password_dialog() {
  note("password dialog shown");
  host_.show_password_dialog(flags_);
}

void SaverSession::repaint_from_copy() {
  Animation::repaint(surfaces());
  host_.end_drawing();
}

CompositorSurfaces SaverSession::surfaces() {
  return {*surfaces_.background, *surfaces_.work, sprite_, mask_, *surfaces_.screen};
}

}  // namespace fizzlet
