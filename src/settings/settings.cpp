#include "settings/settings.h"

namespace fizzlet {

void load_settings(SettingsStore&, Settings&) {}
void save_settings(SettingsStore&, Settings&) {}
void scramble_password(Settings&) {}
void unscramble_password(Settings&) {}

}  // namespace fizzlet
