#include "saver/win32/process_figures.h"

#include <windows.h>
// (after windows.h)
#include <psapi.h>

#include <cstring>
#include <vector>

#include "graphics/win32/gdi_surface.h"

namespace fizzlet::win32 {
namespace {

// Milliseconds since 1970 of a FILETIME (100 ns since 1601).
std::uint64_t unix_ms(const FILETIME& time) {
  const std::uint64_t ticks = (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
  return (ticks - 116444736000000000ULL) / 10000;
}

// The number of handles this process holds.  Wine's GetProcessHandleCount
// answers 0, so then the process's entries in the system's handle table are
// counted.
unsigned long own_handle_count() {
  DWORD handles = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &handles) && handles != 0) return handles;
  using Query = LONG(WINAPI*)(int, void*, ULONG, ULONG*);
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return 0;
  // SYSTEM_HANDLE_INFORMATION (class 16): a count, then one entry per handle.
  struct Entry {
    ULONG owner_pid;
    BYTE object_type;
    BYTE flags;
    USHORT value;
    void* object;
    ULONG access;
  };
  constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
  std::vector<std::uint8_t> buffer(1 << 16);
  LONG status = 0;
  for (int tries = 0; tries < 8; ++tries) {
    status = query(16, buffer.data(), static_cast<ULONG>(buffer.size()), nullptr);
    if (status != kLengthMismatch) break;
    buffer.resize(buffer.size() * 4);
  }
  if (status != 0) return 0;
  ULONG count = 0;
  std::memcpy(&count, buffer.data(), sizeof count);
  const std::size_t first = sizeof(void*);  // the count, padded to the entries' alignment
  const std::size_t fits = (buffer.size() - first) / sizeof(Entry);
  const DWORD me = GetCurrentProcessId();
  unsigned long own = 0;
  for (std::size_t i = 0; i < count && i < fits; ++i) {
    Entry entry{};
    std::memcpy(&entry, buffer.data() + first + i * sizeof(Entry), sizeof entry);
    own += entry.owner_pid == me;
  }
  return own;
}

}  // namespace

ResourceSample process_figures() {
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof(memory);
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                       sizeof(memory));
  return {{"gdi_objects", static_cast<std::uint64_t>(live_gdi_objects())},
          {"handles", own_handle_count()},
          {"private_bytes", static_cast<std::uint64_t>(memory.PrivateUsage)}};
}

std::optional<std::uint64_t> process_age_ms() {
  FILETIME created{}, exited{}, kernel{}, user{}, now{};
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return std::nullopt;
  GetSystemTimeAsFileTime(&now);
  return unix_ms(now) - unix_ms(created);
}

}  // namespace fizzlet::win32
