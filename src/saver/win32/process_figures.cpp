#include "saver/win32/process_figures.h"

#include <windows.h>
// (after windows.h)
#include <psapi.h>

#include <vector>

#include "graphics/win32/gdi_surface.h"
#include "saver/handle_table.h"

namespace fizzlet::win32 {
namespace {

std::uint64_t unix_ms(const FILETIME& time) {
  return file_time_to_unix_ms((std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime);
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
  // SYSTEM_HANDLE_INFORMATION (class 16): saver/handle_table.h reads it.
  constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
  std::vector<std::uint8_t> buffer(1 << 16);
  LONG status = 0;
  for (int tries = 0; tries < 8; ++tries) {
    status = query(16, buffer.data(), static_cast<ULONG>(buffer.size()), nullptr);
    if (status != kLengthMismatch) break;
    buffer.resize(buffer.size() * 4);
  }
  if (status != 0) return 0;
  return count_own_handles(buffer, GetCurrentProcessId());
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
