#pragma once
// The user's settings, the store they live in, and password scrambling.
// Portable: no OS headers.  The Windows store (registry) is in win32/.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fizzlet {

inline constexpr std::string_view kAppKey = "Tarvo Fizzlet Screen Saver";
inline constexpr std::string_view kSection = "Config";
inline constexpr std::string_view kPasswordKey = "qeLWN";
inline constexpr std::size_t kMaxPasswordLength = 30;

// Ranges that the rest of the program relies on; loading clamps to them.
inline constexpr std::int16_t kMinFizzlet = 1, kMaxFizzlet = 100, kDefaultFizzlet = 36;
inline constexpr std::int16_t kMinPopChance = 1, kMaxPopChance = 50, kDefaultPopChance = 10;

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

// Reads "total_fizzlet", "pop_chance", "audio_on" and "misc" with their
// defaults, then unscrambles the password.  Whatever the store holds, the
// result is in range: a number that cannot be read gives the default, one out
// of range is clamped, "audio_on" becomes "0" (its number is 0) or "1", and a
// "misc" that scrambling cannot have produced gives no password.  Nothing is
// written back.
void load_settings(SettingsStore& store, Settings& settings);
// Writes the four values; "misc" is scrambled from password_plain first.
void save_settings(SettingsStore& store, Settings& settings);
// Scrambles password_plain and writes "misc" alone (a new password takes
// effect at once, whatever else the dialogs hold).
void save_password(SettingsStore& store, Settings& settings);
// password_scrambled = scrambled form of password_plain (2 letters a char).
void scramble_password(Settings& settings);
// password_plain = plain form of password_scrambled; empty (and
// password_scrambled cleared) when password_scrambled is not well formed.
void unscramble_password(Settings& settings);

// True when text is a scrambled password: an even number of at most 60
// letters, each pair one of "k".."z" followed by one of "a".."p".
bool is_well_formed_scrambled(std::string_view text);
// Music is on unless audio_on reads as the number 0.
bool audio_enabled(const Settings& settings);

}  // namespace fizzlet
