#include "saver/posix/signal_watch.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <array>
#include <chrono>

namespace fizzlet::posix {

SignalWatch::SignalWatch() {
  sigemptyset(&set_);
  sigaddset(&set_, SIGTERM);
  sigaddset(&set_, SIGINT);
  sigaddset(&set_, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &set_, &previous_);
  fd_ = signalfd(-1, &set_, SFD_NONBLOCK | SFD_CLOEXEC);
}

SignalWatch::~SignalWatch() {
  if (fd_ >= 0) close(fd_);
  // A signal that came in after the last look is still pending: it ends
  // the process when unblocked, as it would have done anyway.
  pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

bool SignalWatch::caught() {
  signalfd_siginfo info{};
  bool any = false;
  while (fd_ >= 0 && read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) any = true;
  return any;
}

unsigned wait_for_input(std::initializer_list<int> descriptors, std::uint32_t timeout_ms) {
  // Once a frame: on the stack, no allocation.
  std::array<pollfd, 4> watched{};
  std::size_t count = 0;
  for (const int fd : descriptors) {
    if (count < watched.size()) watched[count++] = {fd, POLLIN, 0};
  }
  unsigned readable = 0;
  if (poll(watched.data(), count, static_cast<int>(timeout_ms)) <= 0) return readable;
  for (std::size_t i = 0; i < count; ++i) {
    if (watched[i].revents != 0) readable |= 1u << i;
  }
  return readable;
}

std::uint32_t steady_ms() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace fizzlet::posix
