#include "music/started_music.h"

#include <chrono>
#include <utility>

namespace fizzlet {

StartedMusic::StartedMusic(MusicPlayer& player, Say say, Launch launch)
    : music_(player), say_(std::move(say)), launch_(std::move(launch)) {}

std::future<std::string> StartedMusic::launch_async(Start start) {
  return std::async(std::launch::async, std::move(start));
}

void StartedMusic::init_music(const Settings& settings, const FindFolder& find, Start start) {
  music_.init_music_at_random();
  if (!audio_enabled(settings)) return;
  const MusicFolder found = find(music_.music_files());
  folder_ = found.folder;
  if (folder_.empty()) {
    go_silent(found.why);
    return;
  }
  starting_ = launch_(std::move(start));
}

void StartedMusic::handle_music(const Settings& settings) {
  if (silent_) return;
  if (!ready_) {
    if (!starting_.valid() ||
        starting_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
      return;
    }
    const std::string why = starting_.get();
    if (!why.empty()) {
      go_silent(why);
      return;
    }
    ready_ = true;
  }
  // The player's state is asked for once a frame: that is the status period.
  music_.on_player_status();
  music_.handle_music(settings, folder_);
  if (music_.gave_up()) go_silent("none of the pieces in " + folder_ + " could be played; gave up");
}

void StartedMusic::music_off(const Settings& settings) {
  if (ready_) music_.music_off(settings);
}

void StartedMusic::go_silent(const std::string& why) {
  silent_ = true;
  say_(why);
}

}  // namespace fizzlet
