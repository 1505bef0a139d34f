#pragma once
// The full-screen saver window: the saver session (saver/session.h) over a
// window of the Windows window system.

#include <windows.h>

#include <functional>
#include <memory>

#include "saver/session.h"
#include "settings/settings.h"
#include "startup/process.h"

namespace fizzlet::win32 {

// Marks a running saver: start-up's single-instance test looks for a window
// with exactly this caption.
inline constexpr char kSaverCaption[] = "screen saver running";

// How the saver window asks for the password when activity would end it with
// the system's password option on: a non-modal prompt over the saver window,
// which answers only through the flags it was made with (exit_requested = 1
// with password_dialog_open = 0: the password was right; password_dialog_open
// = 0 alone: the prompt went away and the saver goes on).  The saver window
// owns its prompt and destroys it when it goes.
class PasswordPrompt {
 public:
  virtual ~PasswordPrompt() = default;
  // Shows the prompt over owner; does nothing if it is already open.
  virtual void show(HWND owner) = 0;
};
// Makes the prompt of one showing of the saver window; the entry point hands
// it in (the password check dialog).  A preview never asks and needs none.
using PasswordPromptFactory = std::function<std::unique_ptr<PasswordPrompt>(SaverFlags& flags)>;

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
// same process (SaverKeep, saver/session.h): the caller keeps it for as long
// as the process runs.
void show_screensaver(ProcessValues& process, Settings& settings, SettingsStore& store,
                      bool preview_mode, SaverKeep& state,
                      const PasswordPromptFactory& password_prompt = {});

// Appends "e <ms> <text>" to the frame log when FIZZLET_FRAME_LOG names one
// (saver/frame_log.h; nothing otherwise).
void note_in_frame_log(const char* text);

}  // namespace fizzlet::win32
