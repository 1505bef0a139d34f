#pragma once
// The full-screen saver window, frm_screensaver.

#include "saver/frame_loop.h"
#include "settings/settings.h"
#include "startup/process.h"

namespace fizzlet::win32 {

// Creates and shows the saver window and runs the animation until the saver
// ends (a key, enough mouse movement, an accepted password, or a close
// request), then returns with process.saver_running false.  With preview_mode
// set (the configuration dialog's Preview button) the window is modal over
// the thread's other windows, not topmost, and ends on activity without a
// password.
//
// activity_window counts frames across loads of the window and must live as
// long as the process; the overload without it uses one kept for the whole
// process.
void show_screensaver(ProcessValues& process, Settings& settings, SettingsStore& store,
                      bool preview_mode, ActivityWindow& activity_window);
void show_screensaver(ProcessValues& process, Settings& settings, SettingsStore& store,
                      bool preview_mode);

}  // namespace fizzlet::win32
