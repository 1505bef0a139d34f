#include "dialogs/win32/password_change_dialog.h"

#include "dialogs/password_change.h"

namespace fizzlet::win32 {

using namespace password_change;

PasswordChangeDialog::PasswordChangeDialog(const ProcessValues& process, Settings& settings,
                                           SettingsStore& store)
    : Form(password_change_form(), process), settings_(settings), store_(store) {}

void PasswordChangeDialog::on_load() {
  set_text(kNewPassword, "");
  set_text(kConfirmPassword, "");
}

bool PasswordChangeDialog::on_command(int id, int) {
  switch (id) {
    case kOK:  // also Enter
      on_ok();
      return true;
    case kCancel:  // also Escape
      on_cancel();
      return true;
    default:
      return false;
  }
}

void PasswordChangeDialog::on_ok() {
  if (!guard_.enter()) return;
  const NewPasswordCheck check =
      check_new_password(text_of(kNewPassword), text_of(kConfirmPassword), layout_);
  // The boxes keep the mapped texts, also after a refusal.
  set_text(kNewPassword, check.first);
  set_text(kConfirmPassword, check.second);
  switch (check.verdict) {
    case NewPasswordVerdict::mismatch: show_message(mismatch_message()); break;
    case NewPasswordVerdict::too_long: show_message(too_long_message()); break;
    case NewPasswordVerdict::accepted: store_new_password(check.first, settings_, store_); break;
  }
  // A close request while a message was up is a Cancel.
  const bool close_requested = guard_.leave();
  if (check.verdict == NewPasswordVerdict::accepted || close_requested) unload();
}

void PasswordChangeDialog::on_cancel() {
  if (guard_.request_close()) unload();
}

}  // namespace fizzlet::win32
