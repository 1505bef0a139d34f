#pragma once
// Reading the system's own process figures without its headers: a system
// file time as milliseconds since 1970, and the entries of the system's
// handle table that belong to one process (where the system does not count
// a process's handles itself).

#include <cstdint>
#include <span>

namespace fizzlet {

// A file time (100-nanosecond ticks since 1601-01-01) in milliseconds since
// 1970-01-01.
std::uint64_t file_time_to_unix_ms(std::uint64_t ticks);

// One entry of the system handle table, as the system lays it out in the
// program's own pointer size.
struct HandleTableEntry {
  std::uint32_t owner_pid;
  std::uint8_t object_type;
  std::uint8_t flags;
  std::uint16_t value;
  void *object;
  std::uint32_t access;
};

// The table is a 32-bit entry count, padded to the size of a pointer, then
// the entries.  Counts those whose owner is owner_pid; entries beyond the
// buffer are not read.
unsigned long count_own_handles(std::span<const std::uint8_t> table, std::uint32_t owner_pid);

}  // namespace fizzlet
