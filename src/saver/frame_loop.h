#pragma once
// The saver's frame loop, free of any window system: when a frame may
// start, how user activity is counted and judged, and what the loop does at
// the end of each frame.  The saver session (session.h) supplies a FrameHost
// that does the drawing, the event processing and the calls into the other
// parts.

#include <cstdint>
#include <optional>

#include "saver/saver_flags.h"

namespace fizzlet {

// Minimum time from one frame start to the next.
inline constexpr std::uint32_t kFramePeriodMs = 30;
// Activity is judged over windows of this many frames.
inline constexpr std::int32_t kActivityWindowFrames = 80;
// Activity above this count within one window ends the saver.
inline constexpr std::int32_t kActivityThreshold = 20;

// Frame counter of the activity window.  It starts at 0 when the process
// starts and deliberately survives the saver window: a second load of the
// window in the same process (another Preview) continues the count.
struct ActivityWindow {
  std::int32_t frames = 0;
};

// Milliseconds left until frame_start_ms + period_ms, given the clock now; 0
// once that moment has come.  The clock is a 32-bit millisecond counter that
// wraps about every 49.7 days: elapsed time is taken modulo 2^32, so a wrap
// inside a frame neither ends the wait early nor stalls it.
std::uint32_t frame_time_remaining(std::uint32_t frame_start_ms, std::uint32_t now_ms,
                                   std::uint32_t period_ms = kFramePeriodMs);

// What the frame loop needs from the saver session.
class FrameHost {
 public:
  virtual ~FrameHost() = default;
  // False once the window has been asked to close (or never ran).
  virtual bool saver_running() const = 0;
  virtual std::uint32_t read_time_ms() = 0;
  // Erase, move, draw and present one frame.
  virtual void compose_frame(std::uint32_t frame_start_ms) = 0;
  // Runs every handler of every event that is waiting, then returns.
  virtual void process_pending_events() = 0;
  // Sleeps until an event arrives or timeout_ms have passed.
  virtual void wait_for_events(std::uint32_t timeout_ms) = 0;
  // Reads the system's screen-saver password option afresh.
  virtual bool password_enabled() = 0;
  // Shows the password check dialog without making it modal.
  virtual void show_password_dialog() = 0;
  // Copies the clean background over the whole window.
  virtual void repaint_from_copy() = 0;
  // Starts the next piece of music when none is playing.
  virtual void handle_music() = 0;
};

// Processes events as they come until the frame period since frame_start_ms
// has passed, sleeping in between instead of spinning; events waiting are
// processed at least once.
void wait_for_frame_end(FrameHost& host, std::uint32_t frame_start_ms,
                        std::uint32_t period_ms = kFramePeriodMs);

// The decisions after a frame's wait: the activity window, the activity test
// (end, or open the password dialog), the repaint request and the music.
// Returns true when the next frame is to start, false when the loop ends.
bool finish_frame(SaverFlags& flags, ActivityWindow& window, FrameHost& host);

// Runs frames until the saver is to end: saver_running turned false, or an
// exit was requested while no password dialog is open.
void main_loop(SaverFlags& flags, ActivityWindow& window, FrameHost& host);

// A character key: counts as enough activity on its own.
void record_key_press(SaverFlags& flags);
// One mouse-move notification.
void record_mouse_move(SaverFlags& flags);

// Screen position of the pointer, as reported with a mouse-move notification.
struct PointerPosition {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const PointerPosition&, const PointerPosition&) = default;
};

// Tells real pointer movement from the mouse-move notifications that the
// system sends without any movement, for instance when a window appears under
// the pointer or the cursor is hidden.  Only a change of position counts.
class MouseMoveFilter {
 public:
  // Starts from the pointer position known when the window loads, if any.
  explicit MouseMoveFilter(std::optional<PointerPosition> start = std::nullopt)
      : last_(start) {}
  // True when the notification reports a new position (which becomes the
  // reference for the next one).  The first notification without a known
  // start position only sets the reference.
  bool moved(PointerPosition position);

 private:
  std::optional<PointerPosition> last_;
};

// Whether a close request that comes from the keyboard (the system's close
// shortcut) may end the saver.  With password protection on it would bypass
// the password, so it is ignored like any other key without a character.
bool keyboard_close_allowed(const SaverFlags& flags, bool password_on);

}  // namespace fizzlet
