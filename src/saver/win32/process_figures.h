#pragma once
// The saver's own figures for its frame log (saver/frame_log.h): the GDI
// objects it holds, its handles and its private memory, and the age of the
// process.

#include <cstdint>
#include <optional>

#include "saver/frame_log.h"

namespace fizzlet::win32 {

// "gdi_objects" (the program's own count: Wine's GetGuiResources gives 0),
// "handles" and "private_bytes" (0 under Wine, which does not count it).
ResourceSample process_figures();
// Milliseconds since the process was created.
std::optional<std::uint64_t> process_age_ms();

}  // namespace fizzlet::win32
