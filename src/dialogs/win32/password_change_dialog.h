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
  void on_load() override;
  bool on_command(int id, int notification) override;
  void on_close() override { on_cancel(); }

 private:
  void on_ok();
  void on_cancel();

  Settings& settings_;
  SettingsStore& store_;
  SystemKeyboardLayout layout_;
  HandlerGuard guard_;  // one OK at a time, while its message box is up
};

}  // namespace fizzlet::win32
