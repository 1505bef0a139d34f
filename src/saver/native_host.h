#pragma once
// What a native saver host (the X11 program, a Wayland one) decides without
// its window system: where it draws and what follows from that, its exit
// statuses, the sprite sheets compiled into the program, how long a grab of
// the keyboard or the pointer is tried, which keys count, and the run from
// the window's first showing to the end.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "geometry/pixel_rect.h"
#include "saver/dib.h"
#include "saver/placement.h"

namespace fizzlet {

class SaverSession;

// Exit statuses of the program.
inline constexpr int kExitDone = 0;       // the saver ended as it should
inline constexpr int kExitCannotRun = 1;  // no display, no such window, unsupported visual
inline constexpr int kExitBadArguments = 2;

// Where the saver draws, and with what: from the program's command line.
struct SaverTarget {
  Placement placement = Placement::own_window;
  std::uint64_t window_id = 0;  // with Placement::window
  std::string display;          // empty: the environment's
  std::string soundfont;        // empty: look in the standard places
};

// The saver's own window and the root window cover every monitor, one
// animation each; a window that another program gave (the daemon's, one per
// monitor) is one area.
constexpr bool splits_by_monitor(Placement placement) { return placement != Placement::window; }
// Only the saver's own window takes the keyboard and the pointer (and ends
// on activity); the input of any other window belongs to its owner.
constexpr bool takes_input(Placement placement) { return placement == Placement::own_window; }
// Another program's window and the root window may change size; the saver's
// own window keeps the screen's.
constexpr bool follows_resizes(Placement placement) {
  return placement != Placement::own_window;
}

// Says why on standard error ("fizzlet: why") and gives kExitCannotRun.
int cannot_run(const std::string& why);

// The message for a window id that names no window.
std::string missing_window_error(std::uint64_t window_id);

// A grab fails while another program holds the keyboard or the pointer (a
// menu that is open, for instance); it is tried again for a second.
inline constexpr int kGrabAttempts = 20;
inline constexpr int kGrabRetryMs = 50;
// Tries grab up to kGrabAttempts times, with pause(kGrabRetryMs) after each
// failure; false when none succeeded.
bool retry_grab(const std::function<bool()>& grab, const std::function<void(int ms)>& pause);

// A key counts as activity when it types a character, Delete aside (as on
// Windows).
constexpr bool key_counts(std::size_t characters_typed, bool delete_key) {
  return characters_typed > 0 && !delete_key;
}

// The sprite sheet and its mask as the program carries them (BMP files).
struct SpriteSheets {
  DibImage sprite;
  DibImage mask;
};
// Nothing when either is damaged.
std::optional<SpriteSheets> decode_sprite_sheets(std::span<const std::uint8_t> sprite_bmp,
                                                 std::span<const std::uint8_t> mask_bmp);
inline constexpr char kDamagedSheets[] = "the sprite sheet compiled into the program is damaged";

// The run once the session has started and the window shows: the first
// activation, the set-up over window, the frame loop, the end of the run.
// The session's error goes to standard error; returns the exit status.
int run_to_end(SaverSession& session, const PixelRect& window);

}  // namespace fizzlet
