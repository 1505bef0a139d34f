#pragma once
// The user's settings, the store they live in, and password scrambling.
// Portable: no OS headers.  The Windows store (registry) is in win32/.

#include <cstdint>
#include <string>
#include <string_view>

namespace fizzlet {

inline constexpr std::string_view kAppKey = "Tarvo Fizzlet Screen Saver";
inline constexpr std::string_view kSection = "Config";

// get/put over (application, section, name).  get returns the default when
// the value, the section or the key does not exist; put creates them.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::string get(std::string_view application, std::string_view section,
                          std::string_view name, std::string_view default_text) = 0;
  virtual void put(std::string_view application, std::string_view section,
                   std::string_view name, std::string_view text) = 0;
};

struct Settings {
  std::int16_t total_fizzlet = 36;  // 1..100 after loading
  std::int16_t pop_chance = 10;     // 1..50 after loading
  std::string audio_on = "1";       // text; numerically 0 means off
  std::string password_plain;       // at most 30 characters
  std::string password_scrambled;   // 2 lower-case letters per plain character
};

void load_settings(SettingsStore& store, Settings& settings);
void save_settings(SettingsStore& store, Settings& settings);
void scramble_password(Settings& settings);
void unscramble_password(Settings& settings);

}  // namespace fizzlet
