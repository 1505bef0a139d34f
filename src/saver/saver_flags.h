#pragma once
// Flags and counters that the saver window's frame loop shares with the
// handlers that run while it waits (input, the password check dialog).
// Handlers only change these; the loop reads them at fixed points.

#include <cstdint>

namespace fizzlet {

struct SaverFlags {
  std::int32_t screen_width_px = 0;
  std::int32_t screen_height_px = 0;
  bool exit_requested = false;            // end the loop (once no dialog is open)
  bool password_dialog_open = false;      // while the password check dialog shows
  bool repaint_requested = false;         // copy the clean background over the window
  std::int32_t activity_count = 0;        // activity seen in the current 80-frame window
  std::int32_t activity_threshold = 20;   // activity above this ends the saver
  bool preview_mode = false;              // run from the Preview button
};

}  // namespace fizzlet
