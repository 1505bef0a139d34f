#pragma once
// The music of a host whose player needs a slow start (loading a
// synthesizer, opening a sound device), made on a thread of its own while
// the animation starts: no piece begins before the start is done.  When
// the pieces are not there, when the start fails, or when every piece has
// failed, the music goes silent for the rest of the run and says why, once.
//
// The host's SaverMusicControl forwards to it:
//   init_music(settings, find, start)   random start; with music on, finds
//                                        the pieces' folder, then starts
//   handle_music(settings)               each frame: once started, the
//                                        player's status, then the next piece
//   music_off(settings)                  when the window unloads

#include <functional>
#include <future>
#include <span>
#include <string>

#include "music/music.h"
#include "music/music_places.h"
#include "settings/settings.h"

namespace fizzlet {

class StartedMusic {
 public:
  // The slow start; returns why the player cannot play, empty when it can.
  using Start = std::function<std::string()>;
  // Runs a start where it does not hold up the caller (a thread of its own).
  using Launch = std::function<std::future<std::string>(Start)>;
  // The pieces' folder, given the music list.
  using FindFolder = std::function<MusicFolder(std::span<const std::string> pieces)>;
  // Told, once, why the music is silent.
  using Say = std::function<void(const std::string& why)>;

  StartedMusic(MusicPlayer& player, Say say, Launch launch = launch_async);
  // Waits for a start still under way, so that no thread outlives it.
  ~StartedMusic() = default;

  void init_music(const Settings& settings, const FindFolder& find, Start start);
  void handle_music(const Settings& settings);
  void music_off(const Settings& settings);

  const Music& music() const { return music_; }
  bool silent() const { return silent_; }

  static std::future<std::string> launch_async(Start start);

 private:
  void go_silent(const std::string& why);

  Music music_;
  Say say_;
  Launch launch_;
  std::string folder_;
  std::future<std::string> starting_;
  bool ready_ = false;
  bool silent_ = false;
};

}  // namespace fizzlet
