#include "settings/settings.h"

#include "settings/number_text.h"

namespace fizzlet {
namespace {

constexpr std::string_view kTotalFizzletName = "total_fizzlet";
constexpr std::string_view kPopChanceName = "pop_chance";
constexpr std::string_view kAudioOnName = "audio_on";
constexpr std::string_view kMiscName = "misc";

std::int16_t read_ranged(SettingsStore& store, std::string_view name, std::int16_t fallback,
                         std::int16_t low, std::int16_t high) {
  const std::string text =
      store.get(kAppKey, kSection, name, std::to_string(static_cast<int>(fallback)));
  const auto number = read_whole_number(text);
  if (!number) return fallback;
  return static_cast<std::int16_t>(number->rounded_clamped(low, high));
}

// The key character that plain character number `position` (1-based) is
// combined with: key character (position mod 5) + 1.
unsigned key_code(std::size_t position) {
  return static_cast<unsigned char>(kPasswordKey[position % kPasswordKey.size()]);
}

}  // namespace

void load_settings(SettingsStore& store, Settings& settings) {
  settings.total_fizzlet =
      read_ranged(store, kTotalFizzletName, kDefaultFizzlet, kMinFizzlet, kMaxFizzlet);
  settings.pop_chance =
      read_ranged(store, kPopChanceName, kDefaultPopChance, kMinPopChance, kMaxPopChance);
  const std::string audio = store.get(kAppKey, kSection, kAudioOnName, "1");
  const auto audio_number = read_whole_number(audio);
  const bool off = audio_number && audio_number->exactly_zero;
  settings.audio_on.assign(1, off ? '0' : '1');
  settings.password_scrambled = store.get(kAppKey, kSection, kMiscName, "");
  unscramble_password(settings);
}

void save_settings(SettingsStore& store, Settings& settings) {
  store.put(kAppKey, kSection, kTotalFizzletName,
            std::to_string(static_cast<int>(settings.total_fizzlet)));
  store.put(kAppKey, kSection, kPopChanceName,
            std::to_string(static_cast<int>(settings.pop_chance)));
  store.put(kAppKey, kSection, kAudioOnName, settings.audio_on);
  save_password(store, settings);
}

void save_password(SettingsStore& store, Settings& settings) {
  scramble_password(settings);
  store.put(kAppKey, kSection, kMiscName, settings.password_scrambled);
}

void scramble_password(Settings& settings) {
  std::string scrambled;
  scrambled.reserve(settings.password_plain.size() * 2);
  for (std::size_t i = 1; i <= settings.password_plain.size(); ++i) {
    const unsigned x = static_cast<unsigned char>(settings.password_plain[i - 1]) ^ key_code(i);
    scrambled += static_cast<char>('z' - static_cast<int>(x / 16));
    scrambled += static_cast<char>('a' + static_cast<int>(x % 16));
  }
  settings.password_scrambled = std::move(scrambled);
}

void unscramble_password(Settings& settings) {
  settings.password_plain.clear();
  if (!is_well_formed_scrambled(settings.password_scrambled)) {
    settings.password_scrambled.clear();
    return;
  }
  const std::string& text = settings.password_scrambled;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    const unsigned x = static_cast<unsigned>('z' - text[i]) * 16 +
                       static_cast<unsigned>(text[i + 1] - 'a');
    const std::size_t pair_number = i / 2 + 1;
    settings.password_plain += static_cast<char>(x ^ key_code(pair_number));
  }
}

bool is_well_formed_scrambled(std::string_view text) {
  if (text.size() % 2 != 0 || text.size() > 2 * kMaxPasswordLength) return false;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    if (text[i] < 'k' || text[i] > 'z') return false;
    if (text[i + 1] < 'a' || text[i + 1] > 'p') return false;
  }
  return true;
}

bool audio_enabled(const Settings& settings) {
  const auto number = read_whole_number(settings.audio_on);
  return !(number && number->exactly_zero);
}

}  // namespace fizzlet
