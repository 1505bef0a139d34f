// Start-up of the native saver: reads the command line once, loads the
// stored settings (never writing them), applies the command line's overrides
// and runs the saver where the command line says, on Wayland or on X11.

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/saver_options.h"
#include "fizzlet_version.h"
#include "saver/x11/saver_window.h"
#if FIZZLET_WAYLAND
#include "saver/wayland/saver_host.h"
#endif
#include "settings/file_store.h"
#include "settings/settings.h"

namespace {

// The home folder the account database gives for this user (for when $HOME
// is unset or empty), or empty.
std::string account_home() {
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
      found->pw_dir == nullptr) {
    return {};
  }
  return found->pw_dir;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  std::optional<std::string_view> daemon_window;
  if (const char* value = std::getenv("XSCREENSAVER_WINDOW"); value != nullptr) {
    daemon_window = value;
  }
  const fizzlet::SaverOptionsResult parsed = fizzlet::parse_saver_options(arguments, daemon_window);
  if (!parsed.ok()) {
    std::fprintf(stderr, "fizzlet: %s\n", parsed.error.c_str());
    return fizzlet::kExitBadArguments;
  }
  switch (parsed.options.action) {
    case fizzlet::SaverAction::help:
      std::fwrite(fizzlet::saver_usage().data(), 1, fizzlet::saver_usage().size(), stdout);
      return fizzlet::kExitDone;
    case fizzlet::SaverAction::version:
      std::printf("fizzlet %s\n", FIZZLET_VERSION_TEXT);
      return fizzlet::kExitDone;
    case fizzlet::SaverAction::run:
      break;
  }

  fizzlet::FileStore store(fizzlet::FileStore::default_path(account_home()));
  fizzlet::Settings settings;
  fizzlet::load_settings(store, settings);
  if (!store.problem().empty()) {
    std::fprintf(stderr, "fizzlet: ignoring the settings file %s: %s\n", store.file().c_str(),
                 store.problem().c_str());
  }
  fizzlet::apply_saver_options(parsed.options, settings);
  const fizzlet::SaverOptions& options = parsed.options;
  std::optional<std::string_view> wayland_display;
  if (const char* value = std::getenv("WAYLAND_DISPLAY"); value != nullptr) wayland_display = value;
  const fizzlet::SaverTarget target{options.placement, options.window_id, options.display,
                                    options.soundfont};
  // Wayland first when chosen; should no compositor answer, X11 if allowed.
  for (const fizzlet::WindowSystem system : fizzlet::window_systems(options, wayland_display)) {
    if (system == fizzlet::WindowSystem::x11) return fizzlet::x11::run_saver(target, settings);
#if FIZZLET_WAYLAND
    if (const auto status = fizzlet::wayland::run_saver(target, settings)) return *status;
#endif
  }
  std::fprintf(stderr, "fizzlet: cannot connect to the Wayland compositor \"%s\"\n",
               std::string(wayland_display.value_or("wayland-0")).c_str());
  return fizzlet::kExitCannotRun;
}
