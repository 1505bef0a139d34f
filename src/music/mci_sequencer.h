#pragma once
// The MIDI sequencer of the Windows multimedia command strings, under the
// alias "fizzlet_music": which commands open, play, ask about and close a
// piece, and how the device's answers read.  The system call that carries
// a command is the Windows layer's (win32/mci_player.h).
//
// The sequencer reports the end of a piece ("play ... notify") to the
// window that the Windows layer names; some sequencers never send it, so
// the saver also asks the device for its mode periodically.

#include <functional>
#include <string>
#include <utility>

#include "music/music.h"

namespace fizzlet {

inline constexpr char kMciAlias[] = "fizzlet_music";

// The device's "status ... mode" answer.
PlayerMode mci_mode_from_answer(const std::string &answer);

class MciSequencer : public MusicPlayer {
 public:
  // Carries one command to the system: true when the device accepted it.
  // notify: the device reports the end of play.  answer (when not null)
  // receives the device's reply.
  using Send = std::function<bool(const std::string &command, bool notify, std::string *answer)>;

  explicit MciSequencer(Send send) : send_(std::move(send)) {}
  // Closes the device when it has opened one since its last close.
  ~MciSequencer() override;
  MciSequencer(const MciSequencer &) = delete;
  MciSequencer &operator=(const MciSequencer &) = delete;

  // Whether play asks for the end-of-play report (a window takes it).
  void set_notify(bool notify) { notify_ = notify; }
  // Closing a device that is not open is harmless; the alias may also have
  // been opened by an earlier attempt that failed half-way.
  void close() override;
  // A path with a double quote cannot be quoted: false without a command.
  bool open(const std::string &path) override;
  bool play() override;
  PlayerMode mode() override;
  bool is_open() const { return is_open_; }

 private:
  Send send_;
  bool notify_ = false;
  bool is_open_ = false;
  // An open was tried since the last close: a failed one may have left the
  // alias half open.
  bool may_be_open_ = false;
};

}  // namespace fizzlet
