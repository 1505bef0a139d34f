#pragma once
// Small wrappers of Windows services shared by the windows of every mode.

#include <windows.h>

#include <cstdint>
#include <string>

namespace fizzlet::win32 {

void center_form(HWND form);
void show_cursor();
void hide_cursor();
std::uint32_t read_time_ms();
void saver_mode_on();
void saver_mode_off();
bool no_saver_window(const std::string& caption);
bool password_enabled();
std::string read_registry_string(std::uint32_t root, const std::string& path,
                                 const std::string& name);
// Dispatches every message waiting in this thread's queue, then returns.
void process_pending_messages();

}  // namespace fizzlet::win32
