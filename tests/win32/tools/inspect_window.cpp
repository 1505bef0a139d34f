// Test helper: reports the state of the top-level window with the caption
// given as the first argument, for the end-to-end tests.  Prints
//
//   window <enabled 0|1> <client width> <client height> <client left> <client top>
//   control <id> <class> <x> <y> <width> <height> <visible> <value> <text>
//
// one control a line, x and y in the client area; value is a scroll bar's
// position, a check box's state (0 or 1), or "-".  With "close" as the
// second argument it sends the window a close request (WM_CLOSE) instead.
// Exits with 1 when no such window exists.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

BOOL CALLBACK print_control(HWND control, LPARAM dialog_handle) {
  const auto dialog = reinterpret_cast<HWND>(dialog_handle);
  if (GetParent(control) != dialog) return TRUE;
  char class_name[64] = {};
  GetClassNameA(control, class_name, sizeof class_name);
  char text[256] = {};
  GetWindowTextA(control, text, sizeof text);
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  std::string value = "-";
  const LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
  if (lstrcmpiA(class_name, "ScrollBar") == 0) {
    value = std::to_string(SendMessageA(control, SBM_GETPOS, 0, 0));
  } else if (lstrcmpiA(class_name, "Button") == 0 && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
    value = std::to_string(SendMessageA(control, BM_GETCHECK, 0, 0));
  }
  std::printf("control %d %s %ld %ld %ld %ld %d %s %s\n", GetDlgCtrlID(control), class_name, r.left,
              r.top, r.right - r.left, r.bottom - r.top, IsWindowVisible(control) ? 1 : 0,
              value.c_str(), text);
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const HWND window = FindWindowA(nullptr, argv[1]);
  if (window == nullptr) return 1;
  if (argc > 2 && std::strcmp(argv[2], "close") == 0) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
  }
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  std::printf("window %d %ld %ld %ld %ld\n", IsWindowEnabled(window) ? 1 : 0, client.right,
              client.bottom, origin.x, origin.y);
  EnumChildWindows(window, print_control, reinterpret_cast<LPARAM>(window));
  std::fflush(stdout);
  return 0;
}
