#pragma once
// Where a player that reads files looks for what it needs, and what it says
// when they are not there: the folder of the pieces and the SoundFont, each
// tried in a fixed order.  The player supplies the facts of its system (its
// program's folder, its synthesizer's own default, which files exist); the
// order and the words are here.

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace fizzlet {

// Debian's General MIDI SoundFonts (fluid-soundfont-gm, timgm6mb-soundfont,
// musescore-general-soundfont), tried after the synthesizer's own default.
inline constexpr const char* kStandardSoundFonts[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf3/default-GM.sf3",
};

// True when path names a file that the caller can use.
using FileTest = std::function<bool(const std::string& path)>;

// The folders that may hold the pieces, in the order they are looked in: the
// program's own folder (a build tree), then the installed data folder, given
// relative to the program's folder.
// Paths are written with "/" on every system.
std::vector<std::string> music_folder_candidates(const std::string& program_folder,
                                                 const std::string& installed_relative);

struct MusicFolder {
  std::string folder;  // with a trailing "/"; empty when none holds a piece
  std::string why;     // when empty: which pieces were looked for where
};

// The first of folders that holds one of pieces (the music list's slots;
// empty slots are skipped).
MusicFolder find_music_folder(std::span<const std::string> folders,
                              std::span<const std::string> pieces, const FileTest& is_file);

// The SoundFonts to try, in order: the -soundfont option alone when given,
// else the synthesizer's own default (when it has one) and the standard
// ones.
std::vector<std::string> soundfont_candidates(const std::string& option,
                                              const std::string& synthesizer_default);

struct SoundFontChoice {
  std::string file;  // empty when no candidate is one
  std::string why;   // when empty: why there is none
};

// The first candidate that is_soundfont accepts.
SoundFontChoice choose_soundfont(const std::string& option,
                                 std::span<const std::string> candidates,
                                 const FileTest& is_soundfont);

// "A, B, C".
std::string join_list(std::span<const std::string> items);

}  // namespace fizzlet
