#include "music/music.h"

#include <chrono>
#include <cmath>
#include <cstddef>
#include <random>

namespace fizzlet {

namespace {

constexpr std::int32_t kPieces = 10;

}  // namespace

PlayerMode piece_mode(PieceStatus status, bool ticked) {
  switch (status) {
    case PieceStatus::playing:
      return ticked ? PlayerMode::playing : PlayerMode::other;
    case PieceStatus::done:
      return ticked ? PlayerMode::stopped : PlayerMode::failed;
    case PieceStatus::other:
      break;
  }
  return PlayerMode::other;
}

void Music::init_music(const RandomUnit& random) {
  music_files_ = {};
  for (std::int32_t slot = 1; slot <= kPieces; ++slot) {
    music_files_[static_cast<std::size_t>(slot)] =
        "FZLMUS" + std::to_string(slot % 10) + ".MID";
  }
  music_count_ = kPieces;
  music_playing_ = false;
  failures_in_a_row_ = 0;
  gave_up_ = false;
  switched_off_ = false;
  double r = random ? random() : 0.0;
  if (!(r >= 0.0 && r < 1.0)) r = 0.0;  // a faulty source must not leave the list
  music_index_ = static_cast<std::int32_t>(std::floor(r * music_count_)) + 1;
  if (music_index_ > music_count_) music_index_ = music_count_;
}

void Music::init_music_at_random() {
  std::mt19937 generator(
      static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  init_music([&] { return unit(generator); });
}

void Music::handle_music(const Settings& settings, const std::string& app_folder) {
  if (!audio_enabled(settings)) return;
  if (music_playing_) return;
  if (music_count_ == 0 || gave_up_ || switched_off_) return;

  music_index_ += 1;
  if (music_index_ > music_count_) music_index_ = 1;

  player_.close();
  const std::string& name = music_files_[static_cast<std::size_t>(music_index_)];
  if (!player_.open(app_folder + name)) {
    // Skip this piece: the next frame tries the next one.
    count_failure();
    return;
  }
  music_playing_ = true;
  if (!player_.play()) {
    player_.close();
    music_playing_ = false;
    count_failure();
  }
}

void Music::count_failure() {
  if (++failures_in_a_row_ >= music_count_) gave_up_ = true;
}

void Music::on_player_status() {
  if (!music_playing_ || switched_off_) return;
  switch (player_.mode()) {
    case PlayerMode::playing:
      failures_in_a_row_ = 0;
      break;
    case PlayerMode::stopped:
      failures_in_a_row_ = 0;
      music_playing_ = false;
      break;
    case PlayerMode::failed:
      music_playing_ = false;
      count_failure();
      break;
    case PlayerMode::not_open:
      music_playing_ = false;
      break;
    case PlayerMode::other:
      break;
  }
}

void Music::music_off(const Settings& settings) {
  switched_off_ = true;
  if (!audio_enabled(settings)) return;
  player_.close();
}

}  // namespace fizzlet
