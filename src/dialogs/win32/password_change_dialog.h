#pragma once
// The password change dialog, for /a and the configuration
// dialog's Password button.  A password typed twice is stored at once.

#include <windows.h>

#include "dialogs/win32/form.h"
#include "dialogs/win32/system_text.h"
#include "settings/settings.h"

namespace fizzlet::win32 {

class PasswordChangeDialog final : public Form {
 public:
  // The references must outlive the dialog.
  PasswordChangeDialog(const ProcessValues& process, Settings& settings, SettingsStore& store);

 protected:
  void on_load() override { rules_.on_load(); }
  bool on_command(int id, int) override { return rules_.on_command(id); }
  void on_close() override { rules_.on_cancel(); }

 private:
  SystemKeyboardLayout layout_;
  PasswordChangeRules rules_;
};

}  // namespace fizzlet::win32
