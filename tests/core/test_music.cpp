// Background music sequencing against a fake player that records commands.

#include <gtest/gtest.h>

#include <future>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "music/music.h"
#include "music/started_music.h"

namespace fizzlet {
namespace {

class FakePlayer : public MusicPlayer {
 public:
  std::vector<std::string> commands;
  std::set<std::string> missing;        // paths that cannot be opened
  bool play_fails = false;
  PlayerMode reported = PlayerMode::playing;

  void close() override { commands.push_back("close"); }
  bool open(const std::string& path) override {
    commands.push_back("open " + path);
    return missing.count(path) == 0;
  }
  bool play() override {
    commands.push_back("play");
    return !play_fails;
  }
  PlayerMode mode() override {
    commands.push_back("mode");
    return reported;
  }
};

const std::string kFolder = "C:\\saver\\";

Settings audio(const std::string& text) {
  Settings settings;
  settings.audio_on = text;
  return settings;
}

std::string path_of(int slot) { return kFolder + "FZLMUS" + std::to_string(slot % 10) + ".MID"; }

// The random start r gives slot floor(r * 10) + 1.
RandomUnit fixed(double r) {
  return [r] { return r; };
}

TEST(MusicList, HoldsTheTenPiecesAndAStartSlotInRange) {
  FakePlayer player;
  Music music(player);
  music.init_music(fixed(0.0));
  const auto& files = music.music_files();
  EXPECT_EQ(files[1], "FZLMUS1.MID");
  EXPECT_EQ(files[9], "FZLMUS9.MID");
  EXPECT_EQ(files[10], "FZLMUS0.MID");
  EXPECT_TRUE(files[0].empty());
  for (int slot = 11; slot <= 20; ++slot) EXPECT_TRUE(files[slot].empty()) << slot;
  EXPECT_EQ(music.music_count(), 10);
  EXPECT_FALSE(music.music_playing());
  EXPECT_EQ(music.music_index(), 1);

  music.init_music(fixed(0.35));
  EXPECT_EQ(music.music_index(), 4);
  music.init_music(fixed(0.9999999));
  EXPECT_EQ(music.music_index(), 10);
  // A random source that breaks its promise must still give a valid slot.
  for (double bad : {1.0, 7.5, -0.5}) {
    music.init_music(fixed(bad));
    EXPECT_GE(music.music_index(), 1) << bad;
    EXPECT_LE(music.music_index(), 10) << bad;
  }
  EXPECT_TRUE(player.commands.empty()) << "loading the list gives no command";
}

TEST(MusicSequence, StartsAfterTheRandomSlotAndGoesOnInOrderAroundTheList) {
  FakePlayer player;
  Music music(player);
  const Settings on = audio("1");
  music.init_music(fixed(0.85));  // start slot 9
  music.handle_music(on, kFolder);
  EXPECT_EQ(player.commands,
            (std::vector<std::string>{"close", "open " + path_of(10), "play"}));
  EXPECT_TRUE(music.music_playing());

  // While the piece plays every frame returns without a command.
  player.commands.clear();
  for (int frame = 0; frame < 50; ++frame) music.handle_music(on, kFolder);
  music.on_player_status();  // still playing
  EXPECT_EQ(player.commands, std::vector<std::string>{"mode"});
  EXPECT_TRUE(music.music_playing());

  // The piece ends; the next frame starts FZLMUS1 after FZLMUS0, then 2.
  std::vector<std::string> opened;
  for (int piece = 0; piece < 3; ++piece) {
    player.reported = PlayerMode::stopped;
    music.on_player_status();
    EXPECT_FALSE(music.music_playing());
    player.commands.clear();
    music.handle_music(on, kFolder);
    ASSERT_EQ(player.commands.size(), 3u);
    EXPECT_EQ(player.commands[0], "close");
    EXPECT_EQ(player.commands[2], "play");
    opened.push_back(player.commands[1]);
  }
  EXPECT_EQ(opened, (std::vector<std::string>{"open " + path_of(1), "open " + path_of(2),
                                              "open " + path_of(3)}));

  // A device that is no longer open has stopped too.
  music.handle_music(on, kFolder);
  EXPECT_TRUE(music.music_playing());
  player.reported = PlayerMode::not_open;
  music.on_player_status();
  EXPECT_FALSE(music.music_playing());

  // Unloading closes the device at once.
  player.commands.clear();
  music.music_off(on);
  EXPECT_EQ(player.commands, std::vector<std::string>{"close"});
}

TEST(MusicSequence, AudioOffGivesNoCommandAtAllEverAndReadsLikeTheSettings) {
  // "audio_on" is off exactly when the settings read it as the number 0.
  const struct {
    const char* text;
    bool on;
  } cases[] = {{"0", false},  {" 0", false}, {"00", false}, {"0.0", false}, {"-0", false},
               {"1", true},   {"0.5", true}, {"2", true}};
  for (const auto& c : cases) {
    FakePlayer player;
    player.reported = PlayerMode::stopped;
    Music music(player);
    const Settings settings = audio(c.text);
    music.init_music(fixed(0.5));
    for (int frame = 0; frame < 100; ++frame) {
      music.handle_music(settings, kFolder);
      music.on_player_status();
    }
    music.music_off(settings);
    EXPECT_EQ(player.commands.empty(), !c.on) << "audio_on \"" << c.text << "\"";
    if (!c.on) {
      EXPECT_FALSE(music.music_playing());
    }
  }
}

TEST(MusicSequence, ACloseRequestDuringTheFrameWaitOnlyClosesTheDevice) {
  // The outside close request runs music_off inside the frame wait; the rest
  // of that frame still calls handle_music, and the loop's end steps unload
  // the window, which calls music_off again.  Whether a piece was playing or
  // had just ended, the device only hears "close".
  for (const bool piece_ended : {false, true}) {
    SCOPED_TRACE(piece_ended ? "between two pieces" : "while a piece plays");
    FakePlayer player;
    Music music(player);
    const Settings on = audio("1");
    music.init_music(fixed(0.0));
    music.handle_music(on, kFolder);
    if (piece_ended) {
      player.reported = PlayerMode::stopped;
      music.on_player_status();
    }
    player.commands.clear();

    music.music_off(on);                // the close request, during the wait
    music.on_player_status();    // a notification still in the queue
    music.handle_music(on, kFolder);    // the end of that frame
    music.music_off(on);                // the window unloads
    EXPECT_EQ(player.commands, (std::vector<std::string>{"close", "close"}));
    EXPECT_TRUE(music.switched_off());

    // A new load of the window plays again.
    music.init_music(fixed(0.0));
    player.commands.clear();
    music.handle_music(on, kFolder);
    EXPECT_EQ(player.commands, (std::vector<std::string>{"close", "open " + path_of(2), "play"}));
  }
}

TEST(MusicFailures, APieceThatCannotBeOpenedOrPlayedIsSkipped) {
  FakePlayer player;
  Music music(player);
  const Settings on = audio("1");
  music.init_music(fixed(0.3));  // start slot 4: first piece 5
  player.missing = {path_of(5)};
  music.handle_music(on, kFolder);
  EXPECT_EQ(player.commands, (std::vector<std::string>{"close", "open " + path_of(5)}));
  EXPECT_FALSE(music.music_playing()) << "a missing piece must not block the music";

  player.commands.clear();
  music.handle_music(on, kFolder);
  EXPECT_EQ(player.commands,
            (std::vector<std::string>{"close", "open " + path_of(6), "play"}));
  EXPECT_TRUE(music.music_playing());

  // A piece that opens but does not start is closed again and skipped too.
  player.reported = PlayerMode::stopped;
  music.on_player_status();
  player.play_fails = true;
  player.commands.clear();
  music.handle_music(on, kFolder);
  EXPECT_EQ(player.commands,
            (std::vector<std::string>{"close", "open " + path_of(7), "play", "close"}));
  EXPECT_FALSE(music.music_playing());
  player.play_fails = false;
  player.commands.clear();
  music.handle_music(on, kFolder);
  EXPECT_EQ(player.commands[1], "open " + path_of(8));
  EXPECT_FALSE(music.gave_up());
}

TEST(MusicFailures, GivesUpQuietlyWhenNoPieceCanBeOpened) {
  FakePlayer player;
  Music music(player);
  const Settings on = audio("1");
  music.init_music(fixed(0.0));
  for (int slot = 1; slot <= 10; ++slot) player.missing.insert(path_of(slot));

  for (int frame = 0; frame < 10; ++frame) music.handle_music(on, kFolder);
  int opens = 0;
  for (const auto& c : player.commands) opens += c.rfind("open ", 0) == 0 ? 1 : 0;
  EXPECT_EQ(opens, 10) << "each piece is tried once";
  EXPECT_TRUE(music.gave_up());

  player.commands.clear();
  for (int frame = 0; frame < 1000; ++frame) {
    music.handle_music(on, kFolder);
    music.on_player_status();
  }
  EXPECT_TRUE(player.commands.empty()) << "no retry after giving up";
  music.music_off(on);
  EXPECT_EQ(player.commands, std::vector<std::string>{"close"});
}

TEST(MusicFailures, ASuccessfulPieceResetsTheCountOfFailures) {
  FakePlayer player;
  Music music(player);
  const Settings on = audio("1");
  music.init_music(fixed(0.0));  // first piece: slot 2
  for (int slot = 1; slot <= 10; ++slot) {
    if (slot != 6) player.missing.insert(path_of(slot));
  }
  // 2..5 fail, 6 plays, then 7..10, 1..5 fail: nine failures after the
  // success, which is not yet all ten pieces.
  for (int frame = 0; frame < 5; ++frame) music.handle_music(on, kFolder);
  EXPECT_TRUE(music.music_playing());
  player.reported = PlayerMode::stopped;
  music.on_player_status();
  for (int frame = 0; frame < 9; ++frame) music.handle_music(on, kFolder);
  EXPECT_FALSE(music.gave_up());
  music.handle_music(on, kFolder);  // piece 6 again, which plays
  EXPECT_TRUE(music.music_playing());
  EXPECT_EQ(music.music_index(), 6);
}

TEST(MusicFailures, PiecesThatFailOnceStartedCountTowardsGivingUp) {
  // A player that reads a piece only once it plays reports a broken one as
  // failed after play() succeeded; a piece seen playing resets the count.
  FakePlayer player;
  Music music(player);
  const Settings on = audio("1");
  music.init_music(fixed(0.0));
  const auto next_piece_reports = [&](std::initializer_list<PlayerMode> modes) {
    music.handle_music(on, kFolder);
    for (const PlayerMode mode : modes) {
      player.reported = mode;
      music.on_player_status();
    }
  };
  for (int piece = 0; piece < 9; ++piece) next_piece_reports({PlayerMode::other, PlayerMode::failed});
  EXPECT_FALSE(music.gave_up()) << "nine failures are not yet all ten pieces";
  next_piece_reports({PlayerMode::playing, PlayerMode::not_open});
  for (int piece = 0; piece < 9; ++piece) next_piece_reports({PlayerMode::failed});
  EXPECT_FALSE(music.gave_up()) << "a piece seen playing starts the count again";
  next_piece_reports({PlayerMode::failed});
  EXPECT_TRUE(music.gave_up());
  EXPECT_EQ(music.music_playing(), 0);
}

// A player with a slow start: the start runs where the test says (at once,
// or never), and what the music says is recorded.
TEST(StartedMusic, GoesSilentAndSaysWhyOnceWhenPiecesStartOrEveryPieceFail) {
  struct Case {
    const char* audio_on;
    bool pieces_found;
    bool start_done;
    std::string start_fails;  // why, or empty
    bool every_piece_missing;
    std::vector<std::string> said;
    bool plays;
    bool commands;  // the player got any
  };
  const std::string gave_up = "none of the pieces in /m/ could be played; gave up";
  const Case cases[] = {
      {"0", true, true, "", false, {}, false, false},
      {"1", false, true, "", false, {"no pieces"}, false, false},
      {"1", true, true, "no device", false, {"no device"}, false, false},
      {"1", true, true, "", true, {gave_up}, false, true},
      {"1", true, true, "", false, {}, true, true},
      {"1", true, false, "", false, {}, false, false},
  };
  for (const auto& c : cases) {
    FakePlayer player;
    for (int slot = 1; c.every_piece_missing && slot <= 10; ++slot) {
      player.missing.insert("/m/FZLMUS" + std::to_string(slot % 10) + ".MID");
    }
    std::vector<std::string> said;
    std::promise<std::string> never;
    int starts = 0;
    StartedMusic music(
        player, [&](const std::string& why) { said.push_back(why); },
        [&](const StartedMusic::Start& start) {
          if (!c.start_done) return never.get_future();
          std::promise<std::string> done;
          done.set_value(start());
          return done.get_future();
        });
    const Settings settings = audio(c.audio_on);
    music.init_music(
        settings,
        [&](std::span<const std::string>) {
          return c.pieces_found ? MusicFolder{"/m/", ""} : MusicFolder{"", "no pieces"};
        },
        [&] {
          ++starts;
          return c.start_fails;
        });
    for (int frame = 0; frame < 30; ++frame) music.handle_music(settings);
    music.music_off(settings);
    EXPECT_EQ(said, c.said) << c.audio_on << c.start_fails;
    EXPECT_EQ(music.silent(), !c.said.empty());
    EXPECT_EQ(starts, c.pieces_found && c.start_done && c.audio_on[0] == '1' ? 1 : 0);
    EXPECT_EQ(music.music().music_playing(), c.plays);
    EXPECT_EQ(!player.commands.empty(), c.commands);
  }
}

TEST(MusicPieces, APieceDoneBeforeItsFirstTickFailedOnePlayingBeforeItIsStillLoading) {
  struct Case {
    PieceStatus status;
    bool ticked;
    PlayerMode mode;
  };
  const Case cases[] = {
      {PieceStatus::playing, true, PlayerMode::playing},
      {PieceStatus::playing, false, PlayerMode::other},
      {PieceStatus::done, true, PlayerMode::stopped},
      {PieceStatus::done, false, PlayerMode::failed},
      {PieceStatus::other, true, PlayerMode::other},
      {PieceStatus::other, false, PlayerMode::other},
  };
  for (const auto& c : cases) EXPECT_EQ(piece_mode(c.status, c.ticked), c.mode);
}

}  // namespace
}  // namespace fizzlet
