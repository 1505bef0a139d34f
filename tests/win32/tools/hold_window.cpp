// Test helper: shows a small top-level window with the caption given as the
// first argument and keeps it until it is closed or the time limit (second
// argument, seconds, default 60) runs out.  End-to-end tests use it to stand
// in for another program's window, such as a saver that is already running.

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, w, l);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string caption = argv[1];
  const UINT seconds = argc > 2 ? static_cast<UINT>(std::atoi(argv[2])) : 60u;

  WNDCLASSA window_class{};
  window_class.lpfnWndProc = window_proc;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = "FizzletHoldWindow";
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  RegisterClassA(&window_class);
  HWND window = CreateWindowExA(0, window_class.lpszClassName, caption.c_str(),
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 240, 120, nullptr,
                                nullptr, window_class.hInstance, nullptr);
  if (window == nullptr) return 1;
  SetTimer(window, 1, seconds * 1000u, nullptr);

  MSG message{};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER) {
      DestroyWindow(window);
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
