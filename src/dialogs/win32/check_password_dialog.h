#pragma once
// The password check dialog: the small non-modal dialog that asks for the
// screen saver password before the saver may end.
//
// The saver window owns one CheckPasswordDialog (the entry point hands it
// over as the saver's password prompt) and, when activity asks for the
// password, sets flags.password_dialog_open and calls show().  The dialog
// answers only through the flags: exit_requested set with
// password_dialog_open cleared means the password was right;
// password_dialog_open cleared alone means the dialog went away (Cancel,
// closing it, or 20 seconds passing) and the saver goes on.
//
// Tab, Shift+Tab and Enter reach the dialog through IsDialogMessage: the
// dialog registers itself with register_modeless_dialog (system_utils.h), so
// the saver's frame wait must process messages with process_pending_messages.
// Enter in the password box also works without it.  Every other key goes to
// the password box unchanged: Escape does not close the dialog.  The
// handlers' rules are PasswordCheckRules (dialogs/password_check.h).

#include <windows.h>

#include <memory>

#include "dialogs/password_check.h"
#include "saver/saver_flags.h"
#include "settings/settings.h"
#include "startup/process.h"

namespace fizzlet::win32 {

inline constexpr UINT kCheckPasswordTimeoutMs = 20000;
inline constexpr UINT_PTR kCheckPasswordTimerId = 1;  // the time-out, on the dialog window
inline constexpr int kCheckPasswordTextId = password_check::kPasswordBox;       // the password box
inline constexpr int kCheckPasswordCancelId = password_check::kCancelButton;  // Cancel

class CheckPasswordDialog {
 public:
  // The references must outlive the dialog object.  Letters are compared in
  // the system's code page (CharUpperBuffA).
  CheckPasswordDialog(const ProcessValues& process, const Settings& settings, SaverFlags& flags);
  ~CheckPasswordDialog();  // destroys the dialog window if it is still open
  CheckPasswordDialog(const CheckPasswordDialog&) = delete;
  CheckPasswordDialog& operator=(const CheckPasswordDialog&) = delete;

  // Creates and shows the dialog over owner; does nothing if it is already open.
  void show(HWND owner);
  bool is_open() const;
  HWND window() const;

  class State;  // the open dialog: its form, timer and handlers

 private:
  const ProcessValues& process_;
  const Settings& settings_;
  SaverFlags& flags_;
  std::unique_ptr<State> state_;
};

}  // namespace fizzlet::win32
