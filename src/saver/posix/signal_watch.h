#pragma once
// What every POSIX saver host (X11, Wayland) waits on besides its display
// connection: the signals that end a saver, read from a descriptor, and the
// wait until a deadline on a set of descriptors.

#include <signal.h>

#include <cstdint>
#include <initializer_list>

namespace fizzlet::posix {

// SIGTERM (the xscreensaver daemon ending a saver, an idle daemon's end),
// SIGINT and SIGHUP, read from a descriptor that the frame wait watches,
// instead of interrupting whatever runs.  The signals are blocked in every
// thread started after this (the music's), so only the descriptor sees them.
class SignalWatch {
 public:
  SignalWatch();
  ~SignalWatch();
  SignalWatch(const SignalWatch&) = delete;
  SignalWatch& operator=(const SignalWatch&) = delete;

  int fd() const { return fd_; }
  // True when one of the signals came since the last look.
  bool caught();

 private:
  sigset_t set_{};
  sigset_t previous_{};
  int fd_ = -1;
};

// Returns when one of the descriptors (at most four) can be read, or after
// timeout_ms: bit i set when the i-th of them can be read.
unsigned wait_for_input(std::initializer_list<int> descriptors, std::uint32_t timeout_ms);

// Milliseconds of the steady clock (wrapping, as the frame clock expects).
std::uint32_t steady_ms();

}  // namespace fizzlet::posix
