#pragma once
// Command line of the native saver (X11 or Wayland), in the style of
// xscreensaver's programs: where to draw (a given window, the root window or a
// full-screen window of its own) and overrides of the stored settings.  Portable: the
// program reads the environment and passes what it found.
//
//   fizzlet [--wayland | --x11] [--fullscreen | -root | -window-id ID]
//           [-count N] [-pop-chance N] [-music | -no-music] [-soundfont FILE]
//           [-display NAME]
//   fizzlet --help | --version
//
// Every option may be written with one dash or two, and a value either as
// the next argument or after "=" ("--count=40").  The options are a table:
// each has a name, the value it takes (a window id, a number in a range, a
// text, or nothing) and what it sets.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "saver/placement.h"
#include "settings/settings.h"

namespace fizzlet {

enum class SaverAction { run, help, version };
enum class WindowSystem { x11, wayland };

struct SaverOptions {
  SaverAction action = SaverAction::run;
  Placement placement = Placement::own_window;
  std::uint64_t window_id = 0;  // with Placement::window
  std::optional<std::int16_t> count;
  std::optional<std::int16_t> pop_chance;
  std::optional<bool> music;
  std::string soundfont;                      // empty: look in the standard places
  std::string display;                        // empty: $DISPLAY
  std::optional<WindowSystem> window_system;  // forced by --wayland or --x11
};

struct SaverOptionsResult {
  SaverOptions options;
  std::string error;  // set when the command line is refused
  bool ok() const { return error.empty(); }
};

// Reads the arguments (without the program name).  xscreensaver_window is the
// value of $XSCREENSAVER_WINDOW, if set.  Where to draw:
//   -window-id ID        that window (the last placement option given wins);
//   --fullscreen         a window of its own;
//   -root                the daemon's window from $XSCREENSAVER_WINDOW when
//                        that is a window id, else the root window;
//   none of these        $XSCREENSAVER_WINDOW when set, else a window of its
//   own.
// A set, non-empty $XSCREENSAVER_WINDOW that is needed and names no window is
// refused like a bad -window-id.
SaverOptionsResult parse_saver_options(std::span<const std::string_view> arguments,
                                       std::optional<std::string_view> xscreensaver_window);

// The window systems to try, in order: the one that --wayland or --x11
// forces; else Wayland when wayland_display ($WAYLAND_DISPLAY) names a
// compositor and nothing asked for X11 (-root, -window-id, -display,
// $XSCREENSAVER_WINDOW), then X11 should no compositor answer; else X11.
std::vector<WindowSystem> window_systems(const SaverOptions &options,
                                         std::optional<std::string_view> wayland_display);

// X resource ids have 29 bits; a larger number would be cut to another window.
inline constexpr std::uint64_t kMaxWindowId = 0x1fffffff;

// A window id written in decimal or in hexadecimal after "0x" (or "0X");
// nothing for anything else, zero and ids above kMaxWindowId included (no
// window has id 0).
std::optional<std::uint64_t> parse_window_id(std::string_view text);

// The settings as the command line overrides them (the store is not touched).
void apply_saver_options(const SaverOptions &options, Settings &settings);

// The text of --help.
std::string_view saver_usage();

}  // namespace fizzlet
