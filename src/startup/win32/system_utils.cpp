#include "startup/win32/system_utils.h"

#include <mmsystem.h>

#include <array>
#include <span>

#include "settings/number_text.h"
#include "settings/registry_value.h"
#include "settings/win32/registry_key.h"
#include "startup/process.h"

namespace fizzlet::win32 {
namespace {

constexpr UINT kSetScreenSaverRunning = 97;  // SPI_SETSCREENSAVERRUNNING
constexpr UINT kSetScreenSaveActive = 17;    // SPI_SETSCREENSAVEACTIVE
constexpr UINT kTrueAllBits = 0xFFFFFFFFu;   // TRUE as the system's older callers pass it
constexpr char kDialogMark[] = "fizzlet.modeless_dialog";
// ShowCursor always moves the count by one; the bound only guards against a
// system that never reaches the wanted count.
constexpr int kMaxCursorCalls = 1 << 16;

bool is_dialog(HWND window) {
  if (window == nullptr) return false;
  if (GetPropA(window, kDialogMark) != nullptr) return true;
  std::array<char, 16> class_name{};
  GetClassNameA(window, class_name.data(), static_cast<int>(class_name.size()));
  return std::string(class_name.data()) == "#32770";
}

// A registered dialog's keyboard navigation first, else the window's own.
void dispatch(MSG& message) {
  const HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  if (is_dialog(root) && IsDialogMessageA(root, &message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

void saver_mode_pair(UINT running, UINT active) {
  UINT previous = 0;
  SystemParametersInfoA(kSetScreenSaverRunning, running, &previous, 0);
  SystemParametersInfoA(kSetScreenSaveActive, active, &previous, previous);
}

}  // namespace

void center_form(HWND form) {
  RECT rect{};
  GetWindowRect(form, &rect);
  const ScreenPoint origin =
      centred_origin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                     rect.right - rect.left, rect.bottom - rect.top);
  SetWindowPos(form, nullptr, origin.x, origin.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // A quit request taken here (a close request that arrived while the form
  // loads) belongs to the loop that runs the form: post it again.
  if (!process_pending_messages()) PostQuitMessage(0);
}

void show_cursor() {
  for (int i = 0; i < kMaxCursorCalls && ShowCursor(TRUE) < 0; ++i) {
  }
}

void hide_cursor() {
  for (int i = 0; i < kMaxCursorCalls && ShowCursor(FALSE) >= 0; ++i) {
  }
}

std::uint32_t read_time_ms() { return timeGetTime(); }

void saver_mode_on() { saver_mode_pair(kTrueAllBits, FALSE); }

void saver_mode_off() { saver_mode_pair(FALSE, kTrueAllBits); }

bool no_saver_window(const std::string& caption) {
  return FindWindowA(nullptr, caption.c_str()) == nullptr;
}

bool password_enabled() {
  const std::string text =
      read_registry_string(0x80000001u, "Control Panel\\Desktop", "ScreenSaveUsePassword");
  const auto number = read_leading_number(text);
  return number && !number->exactly_zero;
}

std::string read_registry_string(std::uint32_t root, const std::string& path,
                                 const std::string& name) {
  if (!is_predefined_root(root)) return {};
  const RegistryKey key = RegistryKey::open(predefined_root_key(root), path.c_str(), KEY_READ);
  if (!key) return {};
  std::array<BYTE, 255> buffer{};
  DWORD length = static_cast<DWORD>(buffer.size());
  DWORD type = 0;
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, buffer.data(), &length) !=
      ERROR_SUCCESS) {
    return {};
  }
  return probed_value_text(type, std::span(buffer.data(), length));
}

bool process_pending_messages() {
  MSG message{};
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) return false;
    dispatch(message);
  }
  return true;
}

void wait_for_message(std::uint32_t timeout_ms) {
  MsgWaitForMultipleObjectsEx(0, nullptr, timeout_ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void register_modeless_dialog(HWND dialog) {
  SetPropA(dialog, kDialogMark, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(1)));
}

void unregister_modeless_dialog(HWND dialog) { RemovePropA(dialog, kDialogMark); }

int run_message_loop() {
  MSG message{};
  BOOL result = 0;
  while ((result = GetMessageA(&message, nullptr, 0, 0)) != 0) {
    if (result == -1) return 1;
    dispatch(message);
  }
  return static_cast<int>(message.wParam);
}

namespace {

// Adds one monitor's rectangle to the list, the primary one first.
BOOL CALLBACK add_monitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoA(monitor, &info)) return TRUE;
  const RECT& r = info.rcMonitor;
  auto& rects = *reinterpret_cast<std::vector<PixelRect>*>(list);
  const PixelRect rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
  if ((info.dwFlags & MONITORINFOF_PRIMARY) != 0) {
    rects.insert(rects.begin(), rect);
  } else {
    rects.push_back(rect);
  }
  return TRUE;
}

}  // namespace

PixelRect virtual_screen() {
  PixelRect r{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
              GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  if (r.empty()) r = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return r;
}

std::vector<PixelRect> list_monitors() {
  std::vector<PixelRect> monitors;
  EnumDisplayMonitors(nullptr, nullptr, &add_monitor, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

}  // namespace fizzlet::win32
