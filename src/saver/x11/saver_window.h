#pragma once
// The saver on X11: the same animation, frame loop and music as on Windows,
// drawn into a full-screen window of its own (ending on user activity), onto
// the root window, or into another program's window such as the xscreensaver
// daemon's (ending when that window goes away).  SIGTERM, SIGINT and SIGHUP
// end it cleanly in every case.

#include <string>

#include "settings/settings.h"
#include "startup/saver_options.h"

namespace fizzlet::x11 {

// Exit statuses of the program.
inline constexpr int kExitDone = 0;         // the saver ended as it should
inline constexpr int kExitCannotRun = 1;    // no display, no such window, unsupported visual
inline constexpr int kExitBadArguments = 2;

// Set to a file path, makes the saver append its frame start times, its
// memory use and the moment its first frame was presented to that file (used
// by tools/measure-native.sh):
//   f <ms>                      one line per frame start (steady clock)
//   r <frame> <ms> <rss kB>     every 1000 frames
//   presented <unix time ns>    once, when the server has shown the first frame
inline constexpr char kFrameLogVariable[] = "FIZZLET_FRAME_LOG";

// Runs the saver until it ends and returns the exit status.  Messages go to
// standard error.
int run_saver(const SaverOptions& options, Settings& settings);

}  // namespace fizzlet::x11
