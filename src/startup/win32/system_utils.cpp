#include "startup/win32/system_utils.h"

namespace fizzlet::win32 {

void center_form(HWND) {}
void show_cursor() {}
void hide_cursor() {}
std::uint32_t read_time_ms() { return 0; }
void saver_mode_on() {}
void saver_mode_off() {}
bool no_saver_window(const std::string&) { return true; }
bool password_enabled() { return false; }
std::string read_registry_string(std::uint32_t, const std::string&, const std::string&) {
  return {};
}
void process_pending_messages() {}

}  // namespace fizzlet::win32
