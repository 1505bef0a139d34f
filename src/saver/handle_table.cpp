#include "saver/handle_table.h"

#include <cstring>

namespace fizzlet {

std::uint64_t file_time_to_unix_ms(std::uint64_t ticks) {
  constexpr std::uint64_t kTicksFrom1601To1970 = 116444736000000000ULL;
  return (ticks - kTicksFrom1601To1970) / 10000;
}

unsigned long count_own_handles(std::span<const std::uint8_t> table, std::uint32_t owner_pid) {
  std::uint32_t count = 0;
  const std::size_t first = sizeof(void *);
  if (table.size() < first) return 0;
  std::memcpy(&count, table.data(), sizeof count);
  const std::size_t fits = (table.size() - first) / sizeof(HandleTableEntry);
  unsigned long own = 0;
  for (std::size_t i = 0; i < count && i < fits; ++i) {
    HandleTableEntry entry{};
    std::memcpy(&entry, table.data() + first + i * sizeof(HandleTableEntry), sizeof entry);
    own += entry.owner_pid == owner_pid;
  }
  return own;
}

}  // namespace fizzlet
