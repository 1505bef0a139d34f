#include "music/music_places.h"

#include <filesystem>
#include <iterator>

namespace fizzlet {

std::string join_list(std::span<const std::string> items) {
  std::string text;
  for (const auto& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

std::vector<std::string> music_folder_candidates(const std::string& program_folder,
                                                 const std::string& installed_relative) {
  const std::filesystem::path own(program_folder);
  return {own.generic_string(), (own / installed_relative).lexically_normal().generic_string()};
}

MusicFolder find_music_folder(std::span<const std::string> folders,
                              std::span<const std::string> pieces, const FileTest& is_file) {
  std::string first, last;
  for (const auto& piece : pieces) {
    if (piece.empty()) continue;
    if (first.empty()) first = piece;
    last = piece;
  }
  for (const auto& folder : folders) {
    for (const auto& piece : pieces) {
      if (!piece.empty() && is_file((std::filesystem::path(folder) / piece).generic_string())) {
        return {folder + "/", {}};
      }
    }
  }
  return {{}, "none of the pieces (" + first + " to " + last + ") is in " + join_list(folders)};
}

std::vector<std::string> soundfont_candidates(const std::string& option,
                                              const std::string& synthesizer_default) {
  if (!option.empty()) return {option};
  std::vector<std::string> candidates;
  if (!synthesizer_default.empty()) candidates.push_back(synthesizer_default);
  candidates.insert(candidates.end(), std::begin(kStandardSoundFonts),
                    std::end(kStandardSoundFonts));
  return candidates;
}

SoundFontChoice choose_soundfont(const std::string& option,
                                 std::span<const std::string> candidates,
                                 const FileTest& is_soundfont) {
  for (const auto& candidate : candidates) {
    if (is_soundfont(candidate)) return {candidate, {}};
  }
  if (!option.empty()) return {{}, "\"" + option + "\" is not a SoundFont that can be read"};
  return {{},
          "no General MIDI SoundFont found (looked for " + join_list(candidates) +
              "); install fluid-soundfont-gm or timgm6mb-soundfont, or give -soundfont FILE"};
}

}  // namespace fizzlet
