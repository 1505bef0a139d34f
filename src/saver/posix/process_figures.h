#pragma once
// A POSIX saver host's own figures: the values its seed is made from, and
// its resident memory for the frame log (saver/frame_log.h).

#include "saver/session.h"

namespace fizzlet::posix {

// The steady clock and the process id.
SeedValues process_seed_values();
// "resident_kB", from /proc/self/statm.
ResourceSample process_figures();

}  // namespace fizzlet::posix
