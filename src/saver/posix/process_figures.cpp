#include "saver/posix/process_figures.h"

#include <unistd.h>

#include <chrono>
#include <fstream>

namespace fizzlet::posix {

SeedValues process_seed_values() {
  return {static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()),
          static_cast<std::uint64_t>(getpid())};
}

ResourceSample process_figures() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return {{"resident_kB", static_cast<std::uint64_t>(resident * (sysconf(_SC_PAGESIZE) / 1024))}};
}

}  // namespace fizzlet::posix
