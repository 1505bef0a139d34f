// The command strings of the MCI sequencer, against a fake system that
// records them and answers as told.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "music/mci_sequencer.h"

namespace fizzlet {
namespace {

struct Sent {
  std::string command;
  bool notify;
  friend bool operator==(const Sent &, const Sent &) = default;
};

TEST(MciSequencer, SendsItsCommandsUnderTheAliasAndReadsTheModeAnswer) {
  std::vector<Sent> sent;
  bool accept = true;
  std::string reply = "playing";
  {
    MciSequencer player([&](const std::string &command, bool notify, std::string *answer) {
      sent.push_back({command, notify});
      if (answer != nullptr) *answer = reply;
      return accept;
    });
    EXPECT_FALSE(player.play()) << "nothing open: no command";
    EXPECT_EQ(player.mode(), PlayerMode::not_open);
    EXPECT_FALSE(player.open("C:\\a\"b.mid")) << "cannot be quoted";
    EXPECT_TRUE(sent.empty());
    ASSERT_TRUE(player.open("C:\\m\\1.mid"));
    EXPECT_TRUE(player.play());
    player.set_notify(true);
    EXPECT_TRUE(player.play());
    for (const auto &[answer, mode] : {std::pair{"playing", PlayerMode::playing},
                                       {"stopped", PlayerMode::stopped},
                                       {"paused", PlayerMode::other}}) {
      reply = answer;
      EXPECT_EQ(player.mode(), mode) << answer;
    }
    accept = false;
    EXPECT_EQ(player.mode(), PlayerMode::not_open) << "a device that is gone";
    EXPECT_FALSE(player.open("C:\\m\\2.mid"));
    EXPECT_FALSE(player.is_open());
  }  // a failed open may leave the alias half open: closed on the way out
  const std::vector<Sent> expected = {
      {"open \"C:\\m\\1.mid\" type sequencer alias fizzlet_music", false},
      {"play fizzlet_music", false},
      {"play fizzlet_music notify", true},
      {"status fizzlet_music mode", false},
      {"status fizzlet_music mode", false},
      {"status fizzlet_music mode", false},
      {"status fizzlet_music mode", false},
      {"open \"C:\\m\\2.mid\" type sequencer alias fizzlet_music", false},
      {"close fizzlet_music", false},
  };
  EXPECT_EQ(sent, expected);
}

}  // namespace
}  // namespace fizzlet
