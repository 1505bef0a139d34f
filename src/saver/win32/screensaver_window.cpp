#include "saver/win32/screensaver_window.h"

namespace fizzlet::win32 {

void show_screensaver(ProcessValues& process, Settings&, SettingsStore&, bool) {
  process.saver_running = false;
}

}  // namespace fizzlet::win32
