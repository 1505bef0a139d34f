#pragma once
// The Windows MIDI player: winmm's MCI sequencer driven by command strings,
// and SaverMusic, which ties the portable music sequencing to the saver
// window.
//
// The saver session drives it (all on the window's thread):
//   SaverMusic music_(process.app_folder);      member of the window's state
//   music_.attach(hwnd)                         once the window exists
//   init_music(settings)                        picks the random start
//   handle_music(settings)                      each frame; starts the status
//                                               timer on hwnd with the first piece
//   music_off(settings)                         closes the device, stops the timer
//   window procedure: if (music_.handle_message(msg, wparam, lparam)) return 0;
//                     (takes MM_MCINOTIFY and the WM_TIMER with kMusicStatusTimerId)
//
// Status updates come from two sources: MM_MCINOTIFY, sent by the sequencer
// when a piece ends (play ... notify), and a timer every kMusicStatusPeriodMs,
// because some sequencers never send the notification.  Both ask the device
// for its mode; "stopped" (or a device that is gone) clears music_playing, so
// the next piece starts at most one period plus one frame after the end.
// With music off no piece ever starts, so neither the timer nor any command
// to winmm: not even a "close" when the window goes.

#include <windows.h>

#include <string>

#include "music/mci_sequencer.h"
#include "music/music.h"
#include "settings/settings.h"

namespace fizzlet::win32 {

inline constexpr UINT_PTR kMusicStatusTimerId = 0x4D55;
inline constexpr UINT kMusicStatusPeriodMs = 1000;

// The sequencer's commands sent with mciSendString; the end of play is
// reported to the window given to the constructor (or set later).
class MciPlayer final : public MciSequencer {
 public:
  explicit MciPlayer(HWND notify_window = nullptr);
  void set_notify_window(HWND window);
  // MCI device id of the open piece, 0 when none is open.
  UINT device_id() const;

 private:
  HWND notify_window_ = nullptr;
};

// The saver window's music: player, sequencing and status timer.  The pieces
// are in folder (with its trailing backslash).
class SaverMusic final : public SaverMusicControl {
 public:
  explicit SaverMusic(std::string folder, HWND window = nullptr);
  ~SaverMusic() override;
  SaverMusic(const SaverMusic&) = delete;
  SaverMusic& operator=(const SaverMusic&) = delete;

  // The window that gets the player's notifications and the status timer.
  void attach(HWND window);
  void init_music(const Settings& settings) override;
  void handle_music(const Settings& settings) override;
  void music_off(const Settings& settings) override;
  // Returns true when the message belonged to the music (and was handled).
  bool handle_message(UINT message, WPARAM wparam, LPARAM lparam);
  const Music& music() const { return music_; }

 private:
  void start_timer();
  void stop_timer();

  std::string folder_;
  MciPlayer player_;
  Music music_;
  HWND window_ = nullptr;
  bool timer_running_ = false;
};

}  // namespace fizzlet::win32
