#include "dialogs/win32/password_change_dialog.h"

#include "dialogs/password_change.h"

namespace fizzlet::win32 {

PasswordChangeDialog::PasswordChangeDialog(const ProcessValues& process, Settings& settings,
                                           SettingsStore& store)
    : Form(password_change_form(), process), rules_(*this, settings, store, layout_) {}

}  // namespace fizzlet::win32
