// Test helper: plays the display settings for the preview mode.  It shows a
// window with a small "monitor" child, starts the saver with "/p <monitor's
// handle>" and reports to a log what happens to the monitor and the saver.
//
//   fizzlet_preview_host.exe SAVER FOLDER          the monitor lives
//   fizzlet_preview_host.exe SAVER FOLDER dead     the handle of a window that
//                                                  no longer exists
//
// FOLDER receives log.txt, one event a line:
//   attached X Y W H     the saver's picture is in the monitor: its client
//                        origin on the screen and the picture's size
//   followed W H         after "resize": the picture has the new size
//   closed LEFT          after "close": the close request was sent to the
//                        picture; LEFT 1 when it had left the monitor on return
//   destroyed            after "destroy": the monitor was destroyed
//   ended MS CODE        the saver ended, MS milliseconds after the last
//                        command (or its start), with exit code CODE
// and the test drops empty files named "resize", "close" or "destroy" into
// FOLDER to make the host act; each is removed once seen.  The monitor paints
// itself blue and does not clip its children, as a plain window would, so a
// picture that failed to repaint after the monitor shows blue.

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr UINT_PTR kWatchTimer = 1;
constexpr int kMonitorWidth = 200, kMonitorHeight = 150;
constexpr int kResizedWidth = 300, kResizedHeight = 220;

SIZE client_size(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

class Host {
 public:
  explicit Host(std::string folder) : folder_(std::move(folder)) {}
  HWND monitor = nullptr;
  PROCESS_INFORMATION saver{};
  DWORD since = 0;  // time of the last command

  void log(const char* format, ...) const {
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (std::FILE* file = std::fopen((folder_ + "\\log.txt").c_str(), "ab")) {
      std::fprintf(file, "%s\n", line);
      std::fclose(file);
    }
  }

  // Runs every 20 ms.
  void watch() {
    if (!attached_ && picture() != nullptr && IsWindowVisible(picture())) {
      attached_ = true;
      POINT origin{0, 0};
      ClientToScreen(monitor, &origin);
      const SIZE size = client_size(picture());
      log("attached %ld %ld %ld %ld", origin.x, origin.y, size.cx, size.cy);
    }
    if (command("resize") && monitor != nullptr) {
      SetWindowPos(monitor, nullptr, 0, 0, kResizedWidth, kResizedHeight, SWP_NOMOVE | SWP_NOZORDER);
      resizing_ = true;
    }
    if (resizing_ && picture() != nullptr) {
      const SIZE size = client_size(picture());
      if (size.cx == kResizedWidth && size.cy == kResizedHeight) {
        resizing_ = false;
        log("followed %ld %ld", size.cx, size.cy);
      }
    }
    if (command("close")) {
      // As the display settings do: a close request to each window in the
      // monitor, waiting until it has been handled.
      std::vector<HWND> children;
      for (HWND child = picture(); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
      }
      for (HWND child : children) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(child, WM_CLOSE, 0, 0, SMTO_NORMAL, 5000, &result);
      }
      log("closed %d", picture() == nullptr ? 1 : 0);
    }
    if (command("destroy") && monitor != nullptr) {
      DestroyWindow(monitor);
      monitor = nullptr;
      log("destroyed");
    }
    if (saver.hProcess != nullptr && WaitForSingleObject(saver.hProcess, 0) == WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(saver.hProcess, &code);
      log("ended %lu %lu", GetTickCount() - since, code);
      CloseHandle(saver.hProcess);
      CloseHandle(saver.hThread);
      saver = {};
      PostQuitMessage(0);
    }
  }

 private:
  // True once when the test has dropped the command file NAME.
  bool command(const char* name) {
    const std::string path = folder_ + "\\" + name;
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    DeleteFileA(path.c_str());
    since = GetTickCount();
    return true;
  }

  HWND picture() const { return monitor != nullptr ? GetWindow(monitor, GW_CHILD) : nullptr; }

  std::string folder_;
  bool attached_ = false;
  bool resizing_ = false;
};

LRESULT CALLBACK frame_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_TIMER && wparam == kWatchTimer) {
    reinterpret_cast<Host*>(GetWindowLongPtrA(window, GWLP_USERDATA))->watch();
    return 0;
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wparam, lparam);
}

HWND make_window(const char* class_name, int brush, DWORD style, HWND parent, int x, int y, int w,
                 int h, WNDPROC procedure) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = class_name;
  window_class.hbrBackground = brush >= 0 ? static_cast<HBRUSH>(GetStockObject(brush))
                                          : CreateSolidBrush(RGB(0, 0, 255));
  RegisterClassA(&window_class);
  return CreateWindowExA(0, class_name, "Fizzlet preview host", style, x, y, w, h, parent, nullptr,
                         window_class.hInstance, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string saver_path = argv[1];
  Host host(argv[2]);
  const bool dead = argc > 3 && std::string(argv[3]) == "dead";

  HWND frame = make_window("FizzletPreviewHostFrame", GRAY_BRUSH, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                           nullptr, 10, 10, 400, 320, frame_proc);
  host.monitor = make_window("FizzletPreviewHostMonitor", -1, WS_CHILD | WS_VISIBLE, frame, 20, 20,
                             kMonitorWidth, kMonitorHeight, DefWindowProcA);
  if (frame == nullptr || host.monitor == nullptr) return 1;
  SetWindowLongPtrA(frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&host));
  const HWND handle = host.monitor;
  if (dead) {
    DestroyWindow(host.monitor);
    host.monitor = nullptr;
  }
  UpdateWindow(frame);

  // Handles are 32-bit numbers, written unsigned as the display settings do.
  std::string command_line =
      "\"" + saver_path + "\" /p " +
      std::to_string(static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(handle) & 0xFFFFFFFFu));
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  host.since = GetTickCount();
  if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &host.saver)) {
    host.log("failed to start %s", command_line.c_str());
    return 1;
  }
  SetTimer(frame, kWatchTimer, 20, nullptr);

  MSG message{};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
