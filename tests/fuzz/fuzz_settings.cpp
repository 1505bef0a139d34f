// libFuzzer target: loading settings from arbitrary stored texts always
// gives values in range, never writes, and leaves a password that scrambles
// back to what was kept.  The input holds the four stored values separated by
// zero bytes; a missing one stays unset.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings/file_store.h"
#include "settings/memory_store.h"
#include "settings/number_text.h"
#include "settings/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (fields.size() < 4 && start <= input.size()) {
    const auto end = input.find('\0', start);
    fields.push_back(input.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  static const char* const kNames[] = {"total_fizzlet", "pop_chance", "audio_on", "misc"};

  fizzlet::MemoryStore store;
  for (std::size_t i = 0; i < fields.size(); ++i) store.seed(kNames[i], fields[i]);
  fizzlet::Settings settings;
  fizzlet::load_settings(store, settings);

  if (settings.total_fizzlet < fizzlet::kMinFizzlet || settings.total_fizzlet > fizzlet::kMaxFizzlet)
    std::abort();
  if (settings.pop_chance < fizzlet::kMinPopChance || settings.pop_chance > fizzlet::kMaxPopChance)
    std::abort();
  if (settings.audio_on != "0" && settings.audio_on != "1") std::abort();
  if (settings.password_plain.size() > fizzlet::kMaxPasswordLength) std::abort();
  if (store.put_count() != 0) std::abort();

  const std::string kept = settings.password_scrambled;
  fizzlet::scramble_password(settings);
  if (settings.password_scrambled != kept) std::abort();

  // Saving and loading again keeps everything.
  fizzlet::Settings again;
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
