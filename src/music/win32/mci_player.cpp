#include "music/win32/mci_player.h"

#include <mmsystem.h>

#include <utility>

namespace fizzlet::win32 {

namespace {

constexpr const char* kAlias = "fizzlet_music";

MCIERROR send(const std::string& command, HWND callback = nullptr, std::string* answer = nullptr) {
  char buffer[128] = {};
  const MCIERROR error = mciSendStringA(command.c_str(), buffer, sizeof buffer, callback);
  if (answer != nullptr) *answer = buffer;
  return error;
}

}  // namespace

MciPlayer::~MciPlayer() {
  if (may_be_open_) close();
}

void MciPlayer::close() {
  // Closing a device that is not open is harmless; the alias may also have
  // been opened by an earlier attempt that failed half-way.
  send(std::string("close ") + kAlias);
  is_open_ = false;
  may_be_open_ = false;
}

bool MciPlayer::open(const std::string& path) {
  if (path.find('"') != std::string::npos) return false;  // cannot be quoted
  may_be_open_ = true;
  const MCIERROR error = send("open \"" + path + "\" type sequencer alias " + kAlias);
  is_open_ = error == 0;
  return is_open_;
}

bool MciPlayer::play() {
  if (!is_open_) return false;
  const std::string command = std::string("play ") + kAlias + (notify_window_ ? " notify" : "");
  return send(command, notify_window_) == 0;
}

PlayerMode MciPlayer::mode() {
  if (!is_open_) return PlayerMode::not_open;
  std::string answer;
  if (send(std::string("status ") + kAlias + " mode", nullptr, &answer) != 0) {
    return PlayerMode::not_open;
  }
  if (answer == "stopped") return PlayerMode::stopped;
  if (answer == "playing") return PlayerMode::playing;
  return PlayerMode::other;
}

UINT MciPlayer::device_id() const { return is_open_ ? mciGetDeviceIDA(kAlias) : 0; }

SaverMusic::SaverMusic(std::string folder, HWND window)
    : folder_(std::move(folder)), music_(player_) {
  attach(window);
}

SaverMusic::~SaverMusic() { stop_timer(); }

void SaverMusic::attach(HWND window) {
  window_ = window;
  player_.set_notify_window(window);
}

void SaverMusic::init_music(const Settings&) { music_.init_music_at_random(); }

void SaverMusic::handle_music(const Settings& settings) {
  music_.handle_music(settings, folder_);
  if (music_.music_playing() && !music_.switched_off()) start_timer();
}

void SaverMusic::music_off(const Settings& settings) {
  music_.music_off(settings);
  stop_timer();
}

bool SaverMusic::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_TIMER && wparam == kMusicStatusTimerId) {
    music_.on_player_status();
    return true;
  }
  if (message == MM_MCINOTIFY) {
    // The sequencer reports that the piece has finished, failed or been
    // closed.  Only the device's own mode decides: a late notification about
    // an earlier piece (device ids are reused) must not end the current one.
    if (static_cast<UINT>(lparam) == player_.device_id()) music_.on_player_status();
    return true;
  }
  return false;
}

void SaverMusic::start_timer() {
  if (window_ != nullptr && !timer_running_) {
    timer_running_ = SetTimer(window_, kMusicStatusTimerId, kMusicStatusPeriodMs, nullptr) != 0;
  }
}

void SaverMusic::stop_timer() {
  if (timer_running_ && window_ != nullptr && IsWindow(window_)) {
    KillTimer(window_, kMusicStatusTimerId);
  }
  timer_running_ = false;
}

}  // namespace fizzlet::win32
