#include "music/win32/mci_player.h"

#include <mmsystem.h>

#include <utility>

namespace fizzlet::win32 {

MciPlayer::MciPlayer(HWND notify_window)
    : MciSequencer([this](const std::string& command, bool notify, std::string* answer) {
        char buffer[128] = {};
        const MCIERROR error = mciSendStringA(command.c_str(), buffer, sizeof buffer,
                                              notify ? notify_window_ : nullptr);
        if (answer != nullptr) *answer = buffer;
        return error == 0;
      }) {
  set_notify_window(notify_window);
}

void MciPlayer::set_notify_window(HWND window) {
  notify_window_ = window;
  set_notify(window != nullptr);
}

UINT MciPlayer::device_id() const { return is_open() ? mciGetDeviceIDA(kMciAlias) : 0; }

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
