#pragma once
// The configuration dialog of /c and of an empty command line.  It is the
// program's only window: the program ends when show_modal returns.  Its
// handlers' rules are ConfigurationRules (dialogs/configuration.h).

#include <windows.h>

#include <functional>

#include "dialogs/configuration.h"
#include "dialogs/win32/form.h"
#include "settings/settings.h"

namespace fizzlet::win32 {

class ConfigurationDialog final : public Form, public ConfigurationHost {
 public:
  // Runs the saver as the Preview button shows it (modal over the thread's
  // windows, ending on activity without a password) and returns when it has
  // ended; the entry point hands it in.
  using RunPreview = std::function<void()>;

  // The references must outlive the dialog.
  ConfigurationDialog(ProcessValues& process, Settings& settings, SettingsStore& store,
                      RunPreview run_preview);

  // ConfigurationHost
  ConfigurationControls controls() const override;
  void show_controls(const ConfigurationControls& shown) override;
  void run_about() override;
  void run_password_change() override;
  void run_preview() override { run_preview_(); }
  void end_modal_loop() override;
  void bring_back(int focus_id) override;
  bool is_open() const override { return Form::is_open(); }

 protected:
  void on_load() override;
  bool on_command(int id, int) override { return rules_.on_command(id); }
  void on_close() override { rules_.on_close(); }
  bool on_message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
  void on_unload() override { rules_.on_unload(); }

 private:
  void on_scroll(HWND bar, int request) const;

  ProcessValues& process_;
  Settings& settings_;
  SettingsStore& store_;
  RunPreview run_preview_;
  ConfigurationRules rules_;
};

}  // namespace fizzlet::win32
