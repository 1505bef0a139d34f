// Start-up of the native saver for X11: reads the command line once, loads
// the stored settings (never writing them), applies the command line's
// overrides and runs the saver where the command line says.

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
  return fizzlet::x11::run_saver(
      {options.placement, options.window_id, options.display, options.soundfont}, settings);
}
