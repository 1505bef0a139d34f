#pragma once
// The full-screen saver window.

#include "settings/settings.h"
#include "startup/process.h"

namespace fizzlet::win32 {

// Creates and shows the saver window.  In saver mode start-up then processes
// messages until process.saver_running turns false.  With preview_mode set
// (the configuration dialog's Preview button) it runs as a modal window, not
// topmost, and returns when the saver has ended.
void show_screensaver(ProcessValues& process, Settings& settings, SettingsStore& store,
                      bool preview_mode);

}  // namespace fizzlet::win32
