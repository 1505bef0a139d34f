#pragma once
// Small wrappers of Windows services shared by the windows of every mode.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "geometry/pixel_rect.h"

namespace fizzlet::win32 {

// Moves the window to the middle of the screen without resizing it (the
// result may be negative for a window larger than the screen), then
// processes pending messages once (a quit request among them is posted again).
void center_form(HWND form);
// Calls ShowCursor(TRUE) until the display count is 0 or more.
void show_cursor();
// Calls ShowCursor(FALSE) until the display count is below 0.
void hide_cursor();
// Milliseconds since system start (timeGetTime), 32 bits, wrapping.
std::uint32_t read_time_ms();
// Tells the system that a screen saver is running / no longer running.
void saver_mode_on();
void saver_mode_off();
// True when no top-level window has this caption.
bool no_saver_window(const std::string& caption);
// The system's screen-saver password option (HKCU "Control Panel\Desktop"
// "ScreenSaveUsePassword" reads as a non-zero number).
bool password_enabled();
// A registry value as text: REG_DWORD as zero-padded decimal ("001"), other
// types as their bytes without the terminating zero.  The empty text when
// root is not a predefined key (0x80000000..0x80000006), the key or value
// does not exist, or the data needs more than 255 bytes.
std::string read_registry_string(std::uint32_t root, const std::string& path,
                                 const std::string& name);

// Dispatches every message waiting in this thread's queue, then returns.
// Keyboard messages for a registered modeless dialog (or a standard dialog
// box) go through IsDialogMessage, so Tab, Enter and Esc work in it.
// Returns false when it took WM_QUIT from the queue.
bool process_pending_messages();
// Blocks until a message arrives or timeout_ms passes (INFINITE: no limit).
void wait_for_message(std::uint32_t timeout_ms);
// Marks a modeless dialog whose keyboard navigation process_pending_messages
// handles; the mark lives on the window itself and goes with it.
void register_modeless_dialog(HWND dialog);
void unregister_modeless_dialog(HWND dialog);
// Processes messages until WM_QUIT and returns its exit code.  For the modes
// whose process lives as long as its window.
int run_message_loop();

// The rectangle of the whole virtual screen (every monitor), in desktop
// coordinates; the primary screen where the system reports none.
PixelRect virtual_screen();
// Every monitor's rectangle in desktop coordinates, the primary one first.
std::vector<PixelRect> list_monitors();

}  // namespace fizzlet::win32
