#pragma once
// The saver on X11: the saver session (saver/session.h) with the X11 window
// system under it, drawn into a full-screen window of its own (ending on user
// activity) or onto the root window, either with one animation per monitor
// (RandR or Xinerama), or into another program's window such as the
// xscreensaver daemon's, one per monitor (ending when that window goes
// away).  SIGTERM, SIGINT and SIGHUP end it cleanly in every case.  The frame
// log (FIZZLET_FRAME_LOG) is the session's (saver/frame_log.h).

#include "saver/native_host.h"
#include "settings/settings.h"

namespace fizzlet::x11 {

// Runs the saver where target says until it ends and returns the exit
// status (kExitDone ...).  Messages go to standard error.
int run_saver(const SaverTarget& target, Settings& settings);

}  // namespace fizzlet::x11
