// libFuzzer target: loading settings from arbitrary stored texts always
// gives values in range, never writes, and leaves a password that scrambles
// back to what was kept.  The input holds the four stored values separated by
// zero bytes; a missing one stays unset.
//
// The store is a fixed table of four values that reuses its strings from one
// input to the next, so that an input costs no map, no tuple keys and hardly
// any allocation: the fuzzer spends its time in the settings code.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/file_store.h"
#include "settings/number_text.h"
#include "settings/settings.h"

namespace {

constexpr std::array<std::string_view, 4> kNames = {"total_fizzlet", "pop_chance", "audio_on",
                                                    "misc"};

class FixedStore final : public fizzlet::SettingsStore {
 public:
  void clear() {
    present_ = {};
    puts_ = 0;
  }
  void seed(std::size_t index, std::string_view text) {
    values_[index].assign(text);
    present_[index] = true;
  }
  std::string get(std::string_view, std::string_view, std::string_view name,
                  std::string_view default_text) override {
    const std::size_t i = index(name);
    return i < kNames.size() && present_[i] ? values_[i] : std::string(default_text);
  }
  void put(std::string_view, std::string_view, std::string_view name,
           std::string_view text) override {
    ++puts_;
    if (const std::size_t i = index(name); i < kNames.size()) seed(i, text);
  }
  int puts() const { return puts_; }

 private:
  static std::size_t index(std::string_view name) {
    std::size_t i = 0;
    while (i < kNames.size() && kNames[i] != name) ++i;
    return i;
  }
  std::array<std::string, 4> values_;
  std::array<bool, 4> present_{};
  int puts_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  static FixedStore store;
  store.clear();
  std::size_t start = 0;
  for (std::size_t field = 0; field < kNames.size() && start <= input.size(); ++field) {
    const std::size_t end = input.find('\0', start);
    store.seed(field, input.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }

  static fizzlet::Settings settings;
  fizzlet::load_settings(store, settings);
  if (settings.total_fizzlet < fizzlet::kMinFizzlet ||
      settings.total_fizzlet > fizzlet::kMaxFizzlet)
    std::abort();
  if (settings.pop_chance < fizzlet::kMinPopChance || settings.pop_chance > fizzlet::kMaxPopChance)
    std::abort();
  if (settings.audio_on != "0" && settings.audio_on != "1") std::abort();
  if (settings.password_plain.size() > fizzlet::kMaxPasswordLength) std::abort();
  if (store.puts() != 0) std::abort();

  static std::string kept;
  kept = settings.password_scrambled;
  fizzlet::scramble_password(settings);
  if (settings.password_scrambled != kept) std::abort();

  // Saving and loading again keeps everything.
  static fizzlet::Settings again;
  fizzlet::save_settings(store, settings);
  fizzlet::load_settings(store, again);
  if (again.total_fizzlet != settings.total_fizzlet || again.pop_chance != settings.pop_chance ||
      again.audio_on != settings.audio_on || again.password_plain != settings.password_plain) {
    std::abort();
  }

  // The file format keeps any text on one line and gives it back unchanged.
  const std::string escaped = fizzlet::escape_value(input);
  if (escaped.find('\n') != std::string::npos || escaped.find('\r') != std::string::npos)
    std::abort();
  if (fizzlet::unescape_value(escaped) != input) std::abort();

  // Reading a number never reads past the text.
  if (const auto number = fizzlet::read_leading_number(input); number && number->length > size)
    std::abort();
  return 0;
}
