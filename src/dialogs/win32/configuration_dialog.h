#pragma once
// The configuration dialog of /c and of an empty command
// line.  It is the program's only window: every way of closing it saves the
// settings, and the program ends when show_modal returns.
//
// While Preview runs the saver, or the about box or the password change
// dialog is open over it, a close request (from outside: the dialog itself
// is disabled) ends that first, then closes the dialog as usual.

#include <windows.h>

#include <functional>

#include "dialogs/configuration.h"
#include "dialogs/win32/form.h"
#include "settings/settings.h"

namespace fizzlet::win32 {

class ConfigurationDialog final : public Form {
 public:
  // Runs the saver as the Preview button shows it (modal over the thread's
  // windows, ending on activity without a password) and returns when it has
  // ended; the entry point hands it in.
  using RunPreview = std::function<void()>;

  // The references must outlive the dialog.
  ConfigurationDialog(ProcessValues& process, Settings& settings, SettingsStore& store,
                      RunPreview run_preview);

  // The states of the controls that hold settings.
  ConfigurationControls controls() const;

 protected:
  void on_load() override;
  bool on_command(int id, int notification) override;
  void on_close() override;
  bool on_message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
  void on_unload() override;

 private:
  void on_about();
  void on_password();
  void on_preview();
  void on_scroll(HWND bar, int request) const;
  // Runs a modal window over the dialog (a dialog, the preview saver).
  template <typename Run>
  void run_over(Run run);

  ProcessValues& process_;
  Settings& settings_;
  SettingsStore& store_;
  RunPreview run_preview_;
  HandlerGuard guard_;
};

}  // namespace fizzlet::win32
