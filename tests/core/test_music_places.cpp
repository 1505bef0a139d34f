// Where the native player looks for the pieces and the SoundFont, in which
// order, and what it says when nothing is there.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "music/music_places.h"

namespace fizzlet {
namespace {

TEST(MusicPlaces, ThePiecesAreLookedForBesideTheProgramThenWhereTheInstallPutsThem) {
  const auto folders = music_folder_candidates("/opt/x/libexec/xscreensaver",
                                               "../../share/fizzlet/music");
  ASSERT_EQ(folders, (std::vector<std::string>{"/opt/x/libexec/xscreensaver",
                                               "/opt/x/share/fizzlet/music"}));
  const std::vector<std::string> pieces = {"", "FZLMUS1.MID", "FZLMUS2.MID", "FZLMUS0.MID", ""};
  struct Case {
    std::set<std::string> files;
    std::string folder;
  };
  const Case cases[] = {
      {{"/opt/x/libexec/xscreensaver/FZLMUS2.MID", "/opt/x/share/fizzlet/music/FZLMUS1.MID"},
       "/opt/x/libexec/xscreensaver/"},
      {{"/opt/x/share/fizzlet/music/FZLMUS0.MID"}, "/opt/x/share/fizzlet/music/"},
      {{"/opt/x/libexec/xscreensaver/OTHER.MID"}, ""},
  };
  for (const auto& c : cases) {
    const MusicFolder found = find_music_folder(
        folders, pieces, [&](const std::string& path) { return c.files.count(path) > 0; });
    EXPECT_EQ(found.folder, c.folder);
    EXPECT_EQ(found.why.empty(), !c.folder.empty());
  }
  const MusicFolder none =
      find_music_folder(folders, pieces, [](const std::string&) { return false; });
  EXPECT_EQ(none.why,
            "none of the pieces (FZLMUS1.MID to FZLMUS0.MID) is in /opt/x/libexec/xscreensaver, "
            "/opt/x/share/fizzlet/music");
}

TEST(MusicPlaces, TheSoundFontOptionAloneElseTheSynthesizersDefaultThenTheStandardOnes) {
  const std::vector<std::string> standard(std::begin(kStandardSoundFonts),
                                          std::end(kStandardSoundFonts));
  EXPECT_EQ(soundfont_candidates("/my.sf2", "/default.sf2"), std::vector<std::string>{"/my.sf2"});
  EXPECT_EQ(soundfont_candidates("", ""), standard);
  auto with_default = soundfont_candidates("", "/default.sf2");
  ASSERT_EQ(with_default.size(), standard.size() + 1);
  EXPECT_EQ(with_default.front(), "/default.sf2");

  struct Case {
    std::string option;
    std::set<std::string> soundfonts;
    std::string chosen;
    std::string why;
  };
  const Case cases[] = {
      {"", {standard[2], standard[1]}, standard[1], ""},
      {"/my.sf2", {"/my.sf2"}, "/my.sf2", ""},
      {"/my.sf2", {standard[0]}, "", "\"/my.sf2\" is not a SoundFont that can be read"},
      {"", {}, "",
       "no General MIDI SoundFont found (looked for " + join_list(standard) +
           "); install fluid-soundfont-gm or timgm6mb-soundfont, or give -soundfont FILE"},
  };
  for (const auto& c : cases) {
    const auto candidates = soundfont_candidates(c.option, "");
    const SoundFontChoice choice =
        choose_soundfont(c.option, candidates,
                         [&](const std::string& file) { return c.soundfonts.count(file) > 0; });
    EXPECT_EQ(choice.file, c.chosen);
    EXPECT_EQ(choice.why, c.why);
  }
}

}  // namespace
}  // namespace fizzlet
