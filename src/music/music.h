#pragma once
// Background music: the list of the ten pieces, the choice of the next one and
// the commands given to the MIDI player.  Portable; each host links a player
// library: MCI on Windows (music/win32/mci_player.h), FluidSynth on the Linux
// hosts (music/fluidsynth/fluid_music.h), each behind a SaverMusicControl
// that the saver session drives.
//
// How the saver session drives it:
//   init_music()            once when the window loads
//   handle_music()          once per frame, after the frame wait
//   on_player_status()      whenever the player may have changed state
//                           (the Windows player calls it on MM_MCINOTIFY and
//                           on a periodic timer, the FluidSynth one every frame)
//   music_off()             first thing when the window unloads
//
// A piece that cannot be opened or started, or that the player reports failed,
// is skipped: the next frame tries the next piece.  When every piece in turn
// has failed (a piece counts as good once the player reports it playing or
// ended), the music gives up for the rest of the run instead of retrying
// every frame.  Nothing is ever
// reported to the user.
//
// With music off ("audio_on" reads as 0) the player gets no command at all,
// not even at unload.  Once music_off has closed the player, nothing starts
// again until the next init_music: the rest of a frame in which an outside
// close request arrived must not open the next piece.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "settings/settings.h"

namespace fizzlet {

// What the player says about its device.  failed: the piece ended without
// having played, as a file that turns out not to parse does with a player
// that reads it only once playing.
enum class PlayerMode { not_open, playing, stopped, failed, other };

// What a player that reads its piece only once playing says of it: still
// playing, done, or anything else.  Its clock starts (the first tick) once
// the file has been read, so a piece that is done before any tick did not
// parse: it failed; one that plays before its first tick is still loading.
enum class PieceStatus { playing, done, other };
PlayerMode piece_mode(PieceStatus status, bool ticked);

// A MIDI player with the four commands the music needs.  open() and play()
// return false when the player cannot do it (missing or unreadable file, no
// device); play() returns at once and the piece plays on in the background.
class MusicPlayer {
 public:
  virtual ~MusicPlayer() = default;
  virtual void close() = 0;
  virtual bool open(const std::string& path) = 0;
  virtual bool play() = 0;
  virtual PlayerMode mode() = 0;
};

inline constexpr int kMusicSlots = 21;  // slots 0..20; 1..10 hold the pieces

// Uniform random number in [0, 1).
using RandomUnit = std::function<double()>;

class Music {
 public:
  explicit Music(MusicPlayer& player) : player_(player) {}

  // Fills the list and picks the random start slot (1..10) from random().
  void init_music(const RandomUnit& random);
  // The same with a generator seeded from the clock.
  void init_music_at_random();
  // Starts the next piece when music is on and none plays.
  void handle_music(const Settings& settings, const std::string& app_folder);
  // Asks the player for its mode; "stopped", "failed", or a device that is
  // not open (any more), ends the current piece.
  void on_player_status();
  // Closes the player when music is on; no piece starts after it.
  void music_off(const Settings& settings);

  const std::array<std::string, kMusicSlots>& music_files() const { return music_files_; }
  std::int32_t music_count() const { return music_count_; }
  std::int32_t music_index() const { return music_index_; }
  bool music_playing() const { return music_playing_; }
  // True once every piece has failed in a row; no command is given after that.
  bool gave_up() const { return gave_up_; }
  // True from music_off until the next init_music.
  bool switched_off() const { return switched_off_; }

 private:
  MusicPlayer& player_;
  std::array<std::string, kMusicSlots> music_files_{};
  std::int32_t music_count_ = 0;
  std::int32_t music_index_ = 0;
  void count_failure();

  bool music_playing_ = false;
  std::int32_t failures_in_a_row_ = 0;
  bool gave_up_ = false;
  bool switched_off_ = false;
};

// A host's music as the saver session drives it: Music over the host's own
// player, with whatever that player needs around it (its folder, a start in
// the background, a status timer).
class SaverMusicControl {
 public:
  virtual ~SaverMusicControl() = default;
  virtual void init_music(const Settings& settings) = 0;
  virtual void handle_music(const Settings& settings) = 0;
  virtual void music_off(const Settings& settings) = 0;
};

}  // namespace fizzlet
