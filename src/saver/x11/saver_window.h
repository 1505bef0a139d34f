#pragma once
// The saver on X11: the saver session (saver/session.h) with the X11 window
// system under it, drawn into a full-screen window of its own (ending on user
// activity) or onto the root window, either with one animation per monitor
// (RandR or Xinerama), or into another program's window such as the
// xscreensaver daemon's, one per monitor (ending when that window goes
// away).  SIGTERM, SIGINT and SIGHUP end it cleanly in every case.  The frame
// log (FIZZLET_FRAME_LOG) is the session's (saver/frame_log.h).

#include <cstdint>
#include <string>

#include "saver/placement.h"
#include "settings/settings.h"

namespace fizzlet::x11 {

// Exit statuses of the program.
inline constexpr int kExitDone = 0;         // the saver ended as it should
inline constexpr int kExitCannotRun = 1;    // no display, no such window, unsupported visual
inline constexpr int kExitBadArguments = 2;

// Where the saver draws, and with what: from the program's command line.
struct SaverTarget {
  Placement placement = Placement::own_window;
  std::uint64_t window_id = 0;  // with Placement::window
  std::string display;          // empty: $DISPLAY
  std::string soundfont;        // empty: look in the standard places
};

// Runs the saver until it ends and returns the exit status.  Messages go to
// standard error.
int run_saver(const SaverTarget& target, Settings& settings);

}  // namespace fizzlet::x11
