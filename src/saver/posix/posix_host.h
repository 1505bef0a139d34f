#pragma once
// The part of SaverHost that every POSIX host fills in the same way: the
// steady clock, the seed, its figures for the frame log, its music, and the
// frame wait on its display connection and on the signals that end a saver.
// A host adds its window system: the connection's descriptor, its queue of
// events and their handling.

#include <cstdint>

#include "saver/posix/process_figures.h"
#include "saver/posix/signal_watch.h"
#include "saver/session.h"

namespace fizzlet::posix {

class PosixHost : public SaverHost {
 public:
  // watch_connection false: the frame wait watches the signals alone, and
  // the connection's events wait until the wait's end, when the frame loop
  // would look at them anyway; a frame then costs one wake-up, however
  // much the server says in between (a host whose server answers every
  // frame, as the X server does when it has read an image).
  explicit PosixHost(SaverMusicControl& music, bool watch_connection = true)
      : music_(music), watch_connection_(watch_connection) {}

  std::uint32_t read_time_ms() override { return steady_ms(); }
  SeedValues seed_values() override { return process_seed_values(); }
  ResourceSample resource_sample() override { return process_figures(); }
  SaverMusicControl& music() override { return music_; }
  void wait_for_events(std::uint32_t timeout_ms) override {
    if (events_waiting()) return;
    // (poll passes over a descriptor of -1.)
    const unsigned readable =
        wait_for_input({watch_connection_ ? connection_fd() : -1, signals_.fd()}, timeout_ms);
    signal_unseen_ = (readable & 2u) != 0;
  }
  void process_pending_events() override {
    // A signal keeps its descriptor readable until it is read: the wait
    // sees it.  Without a wait since the last look (a frame that overran
    // its period), the descriptor is read here.
    if (signal_unseen_ && signals_.caught()) end_by_signal();
    signal_unseen_ = true;
    handle_window_events();
  }

 protected:
  // The display connection's descriptor.
  virtual int connection_fd() = 0;
  // Sends what the host has buffered; true when events are already read
  // and wait to be handled.
  virtual bool events_waiting() = 0;
  virtual void handle_window_events() = 0;
  // SIGTERM, SIGINT or SIGHUP came: the saver ends.
  virtual void end_by_signal() = 0;

 private:
  SaverMusicControl& music_;
  bool watch_connection_;
  SignalWatch signals_;
  bool signal_unseen_ = true;  // the signals' descriptor is to be read
};

}  // namespace fizzlet::posix
