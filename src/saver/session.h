#pragma once
// One run of the saver, free of any window system: the per-run flags, the
// seed, the settings it runs with, the split of the window into one
// animation area per monitor, the surfaces and the scene, the frame loop and
// its decisions, the frame log.  A host (the Windows saver window, the X11
// and Wayland programs) fills in SaverHost with its window system's calls
// and tells the session what happens to its window:
//
//   host makes its window          session.start_run()
//   the window first shows         session.first_activation(), then
//                                  session.set_up(window rectangle), then
//                                  session.run() until the saver ends
//   the window is closed           session.end_run(): true when it may go
//   input                          key_typed, pointer_moved,
//                                  keyboard_close_allowed
//   the window changes size        resized()
//   the monitors change            rearranged()
//   the window lost its picture    redraw()
//   the window or program goes     stop()

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "music/music.h"
#include "saver/animation.h"
#include "saver/dib.h"
#include "saver/frame_log.h"
#include "saver/frame_loop.h"
#include "saver/saver_flags.h"
#include "saver/screen_areas.h"
#include "saver/software_surface.h"
#include "settings/settings.h"

namespace fizzlet {

// Where a session draws: the host's screen (the window), and the work and
// clean background surfaces of its size, black, made where the host's
// window system can read them best (DIB sections, a shared image).
struct ScreenSurfaces {
  Surface* screen = nullptr;  // the host's; lives until the next open_screen
  std::unique_ptr<SoftwareSurface> work;
  std::unique_ptr<SoftwareSurface> background;
  // The window shows black already: no full repaint at set-up.
  bool shows_black = false;
};

// Surfaces in the program's own memory for a screen of width x height; the
// work surface composes in work_memory when given (zeroed memory of that
// size, such as the image the window system reads).
ScreenSurfaces memory_surfaces(Surface& screen, int width, int height,
                               std::span<std::uint32_t> work_memory = {});

// What the seed of a run is made from: a fine clock reading and a value of
// the process (its id), so that two savers started at once differ.
struct SeedValues {
  std::uint64_t clock = 0;
  std::uint64_t process = 0;
};
std::uint64_t session_seed(const SeedValues& values);

// The window system's side of a saver run.
class SaverHost {
 public:
  virtual ~SaverHost() = default;

  // The screen of a width x height window and the surfaces to compose in;
  // nothing, with the reason in error, when it cannot be made.
  virtual std::optional<ScreenSurfaces> open_screen(int width, int height, std::string& error) = 0;
  // The colours the display shows at once (get_numberofcolors of its depth).
  virtual double number_of_colors() = 0;
  // Every monitor's rectangle in the coordinates of the window's rectangle,
  // the primary first; none where the window is to be one area.
  virtual std::vector<PixelRect> monitors() = 0;
  // Before drawing a frame: the window system is done reading the memory.
  virtual void begin_drawing() {}
  // After a frame or a repaint: what was drawn goes to the window system.
  virtual void end_drawing() {}
  // Returns once the window system has shown what it was sent.
  virtual void wait_until_shown() {}

  virtual std::uint32_t read_time_ms() = 0;
  // Sleeps until an event arrives or timeout_ms have passed.
  virtual void wait_for_events(std::uint32_t timeout_ms) = 0;
  // Runs the handlers of every event waiting (they call the session's input
  // functions), then returns.
  virtual void process_pending_events() = 0;

  virtual SaverMusicControl& music() = 0;
  virtual void set_cursor_visible(bool visible) = 0;
  // Tells the system that a screen saver runs (or no longer does).
  virtual void set_system_saver_running(bool) {}
  // The system's screen-saver password option, read afresh, and the
  // password check dialog shown without making it modal (it clears
  // password_dialog_open, and sets exit_requested on a correct password).
  virtual bool password_enabled() { return false; }
  virtual void show_password_dialog(SaverFlags&) {}

  virtual SeedValues seed_values() = 0;
  // For the frame log: the host's own figures, and the process's age.
  virtual ResourceSample resource_sample() { return {}; }
  virtual std::optional<std::uint64_t> process_age_ms() { return std::nullopt; }
};

// What a run leaves for the next run in the same process (a second
// Preview): the activity window's frame count and every monitor's kernel
// table (each slot resumes its roll where it was).
struct SaverKeep {
  ActivityWindow activity_window;
  SaverScene scene;
};

struct SessionOptions {
  // Run from the configuration dialog's Preview button: activity ends it
  // without a password.
  bool preview_mode = false;
  // Read the settings afresh from here at each set-up (settings saved since
  // start-up apply); null: run with the settings given.
  SettingsStore* reload_from = nullptr;
  // The frame log's file (frame_log_path()), or empty for none.
  std::string frame_log_path;
};

class SaverSession final : private FrameHost {
 public:
  // The sheets are copied; a missing one draws nothing.
  SaverSession(SaverHost& host, Settings& settings, SaverKeep& keep, const DibImage* sprite_sheet,
               const DibImage* mask_sheet, SessionOptions options);

  // The window exists: the saver runs, the music list is ready, the
  // cursor hides.
  void start_run();
  // True the first time only: the set-up and the loop run once per load.
  bool first_activation();
  // The set-up for a window covering window (desktop coordinates): fresh
  // flags and seed, the settings, black surfaces, one animation per monitor,
  // a full repaint at the end of the first frame.  False, with the reason in
  // error(), when the screen cannot be made.
  bool set_up(const PixelRect& window);
  // The frame loop until the saver ends; afterwards the window may go.
  void run();
  // The run ends: the music stops, the cursor shows, the saver no longer
  // runs.  True when the window may go (not while the loop runs: it stops at
  // its next check and ends the run itself).
  bool end_run();

  // A key that types a character: enough activity on its own.
  void key_typed(std::string_view what);
  // The pointer rests at position when the window loads.
  void pointer_rests_at(PointerPosition position) { mouse_filter_ = MouseMoveFilter(position); }
  // A mouse-move notification; only real movement counts.
  void pointer_moved(PointerPosition position);
  // Whether the keyboard's close shortcut may end the saver.
  bool keyboard_close_allowed();
  // The window's size, as its window system says it now is: when it differs
  // from the last one, the set-up runs again before the next frame.
  void resized(int width, int height);
  // The monitors changed (outputs came, went or changed size or scale):
  // the set-up for a window of that size runs again before the next frame,
  // even at the same size.
  void rearranged(int width, int height);
  // The window lost its picture: the whole current frame again.
  void redraw();
  // The window or the program is going: the loop stops at its next check.
  void stop() { running_ = false; }
  // A line for the frame log.
  void note(std::string_view what) {
    if (log_) log_.event(host_.read_time_ms(), what);
  }

  bool running() const { return running_; }
  bool logging() const { return static_cast<bool>(log_); }
  const SaverFlags& flags() const { return flags_; }
  // The complete current frame (what the screen should show), or null
  // before the set-up.
  const SoftwareSurface* frame() const { return surfaces_.work.get(); }
  const std::string& error() const { return error_; }

 private:
  // FrameHost
  bool saver_running() const override { return running_; }
  std::uint32_t read_time_ms() override { return host_.read_time_ms(); }
  void compose_frame(std::uint32_t frame_start_ms) override;
  void process_pending_events() override { host_.process_pending_events(); }
  void wait_for_events(std::uint32_t timeout_ms) override { host_.wait_for_events(timeout_ms); }
  bool password_enabled() override { return host_.password_enabled(); }
  void show_password_dialog() override;
  void repaint_from_copy() override;
  void handle_music() override { host_.music().handle_music(settings_); }

  CompositorSurfaces surfaces();

  SaverHost& host_;
  Settings& settings_;
  SaverKeep& keep_;
  SessionOptions options_;
  SoftwareSurface sprite_;
  SoftwareSurface mask_;
  ScreenSurfaces surfaces_;
  SaverFlags flags_;
  MouseMoveFilter mouse_filter_;
  FrameLog log_;
  PixelRect window_{};
  std::optional<PixelRect> resized_;
  std::string error_;
  bool running_ = false;
  bool unload_guard_ = false;
  bool activated_ = false;
};

}  // namespace fizzlet
