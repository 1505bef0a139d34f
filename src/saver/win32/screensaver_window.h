#pragma once
// The full-screen saver window, frm_screensaver.

#include "saver/animation.h"
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
// The window covers the whole virtual screen, and every monitor shows an
// animation of its own (mirrored monitors share one).
//
// What the saver keeps from one showing of its window to the next in the
// same process: the activity window's frame count and every monitor's
// kernel table (a second Preview resumes each slot's roll where it was).
struct SaverKeep {
  ActivityWindow activity_window;
  SaverScene scene;
};
// state must live as long as the process; the overload without it uses one
// kept for the whole process.
void show_screensaver(ProcessValues& process, Settings& settings, SettingsStore& store,
                      bool preview_mode, SaverKeep& state);
void show_screensaver(ProcessValues& process, Settings& settings, SettingsStore& store,
                      bool preview_mode);

// Appends "e <ms> <text>" to the frame log when FIZZLET_FRAME_LOG names one
// (a measuring and diagnosing aid; nothing otherwise).
void note_in_frame_log(const char* text);

}  // namespace fizzlet::win32
