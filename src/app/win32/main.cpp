// Start-up: records the program folder and the screen's twips per pixel,
// loads the settings and opens the window of the mode that the command line
// names.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "dialogs/win32/check_password_dialog.h"
#include "dialogs/win32/configuration_dialog.h"
#include "dialogs/win32/password_change_dialog.h"
#include "graphics/win32/gdi_surface.h"
#include "preview/win32/preview_window.h"
#include "saver/win32/screensaver_window.h"
#include "settings/settings.h"
#include "settings/win32/registry_store.h"
#include "startup/command_line.h"
#include "startup/process.h"
#include "startup/win32/system_utils.h"

namespace fizzlet::win32 {
namespace {

std::string module_path() {
  std::vector<char> buffer(MAX_PATH);
  while (buffer.size() <= 32768) {
    const auto size = static_cast<DWORD>(buffer.size());
    const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), size);
    if (length == 0) return {};
    if (length < size) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
  return {};
}

// The saver window asks for the password with the password check dialog.
class PasswordCheckPrompt final : public PasswordPrompt {
 public:
  PasswordCheckPrompt(const ProcessValues& process, const Settings& settings, SaverFlags& flags)
      : dialog_(process, settings, flags) {}
  void show(HWND owner) override { dialog_.show(owner); }

 private:
  CheckPasswordDialog dialog_;
};

// Saver mode: nothing when a saver already runs; otherwise show the saver
// window and wait, asleep on the message queue, until it has stopped.
void run_saver(ProcessValues& process, Settings& settings, SettingsStore& store, SaverKeep& keep) {
  if (!no_saver_window(kSaverCaption)) {
    note_in_frame_log("not started: a saver window exists");
    return;
  }
  process.saver_running = true;
  show_screensaver(process, settings, store, false, keep, [&](SaverFlags& flags) {
    return std::make_unique<PasswordCheckPrompt>(process, settings, flags);
  });
  while (process.saver_running) {
    if (!process_pending_messages()) break;
    if (!process.saver_running) break;
    wait_for_message(INFINITE);
  }
}

// Dispatch points of the modes whose process lives as long as its window.
// Each opens its window and returns true when the thread's message loop must
// then run until the window ends the program, or false when nothing is left
// to run.  The two dialogs are the process's only window and run their own
// loop: they return false once they have closed.  The configuration
// dialog's Preview shows the saver window without a password prompt.
bool open_configuration(ProcessValues& process, Settings& settings, SettingsStore& store,
                        SaverKeep& keep) {
  ConfigurationDialog dialog(process, settings, store, [&] {
    show_screensaver(process, settings, store, /*preview_mode=*/true, keep);
  });
  dialog.show_modal(nullptr);
  return false;
}

// Preview mode: the preview host is loaded, never shown, and lives until it ends
// the program itself (its preview window gone or a close request).
bool open_preview(ProcessValues& process, Settings&, SettingsStore&) {
  static PreviewForm preview;
  return preview.load(window_from_handle_number(process.preview_parent));
}

bool open_password_change(ProcessValues& process, Settings& settings, SettingsStore& store) {
  PasswordChangeDialog dialog(process, settings, store);
  dialog.show_modal(nullptr);
  return false;
}

int start(std::string_view command_line) {
  ProcessValues process;
  process.app_folder = app_folder_from_module_path(module_path());
  {
    const WindowDc screen(nullptr);  // GetDeviceCaps answers 0 without a DC
    process.twips_per_pixel_x = twips_per_pixel(GetDeviceCaps(screen.get(), LOGPIXELSX));
    process.twips_per_pixel_y = twips_per_pixel(GetDeviceCaps(screen.get(), LOGPIXELSY));
  }
  const StartRequest request = start_request(command_line);
  process.preview_parent = request.window_handle;

  RegistryStore store;
  Settings settings;
  load_settings(store, settings);
  // activity_window_frames and the kernel tables: kept over the whole
  // process, across showings of the saver window.
  SaverKeep keep;

  bool window_open = false;
  switch (request.mode) {
    case Mode::saver:
      run_saver(process, settings, store, keep);
      return 0;
    case Mode::configuration:
      window_open = open_configuration(process, settings, store, keep);
      break;
    case Mode::preview:
      window_open = open_preview(process, settings, store);
      break;
    case Mode::password_change:
      window_open = open_password_change(process, settings, store);
      break;
    case Mode::none:
      break;
  }
  return window_open ? run_message_loop() : 0;
}

}  // namespace
}  // namespace fizzlet::win32

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const char* command_line = GetCommandLineA();
  return fizzlet::win32::start(command_line != nullptr ? command_line : "");
}
