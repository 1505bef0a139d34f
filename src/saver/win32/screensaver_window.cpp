#include "saver/win32/screensaver_window.h"

#include <windows.h>
// (after windows.h)
#include <mmsystem.h>
#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "graphics/win32/gdi_surface.h"
#include "resource_ids.h"
#include "saver/animation.h"
#include "saver/compositor.h"
#include "saver/win32/mci_player.h"
#include "startup/win32/system_utils.h"

namespace fizzlet::win32 {
namespace {

constexpr char kClassName[] = "FizzletScreenSaverWindow";
// Marks a running saver: start-up's single-instance test looks for a window
// with exactly this caption.
constexpr char kSaverCaption[] = "screen saver running";
// Posted on activation: runs the set-up (once) and the frame loop outside of
// the call that activated the window.
constexpr UINT kMsgActivate = WM_APP + 1;
// Set to a file path, makes the window append its frame start times and its
// resource use to that file (used by tools/measure-saver.sh).
constexpr char kFrameLogVariable[] = "FIZZLET_FRAME_LOG";
constexpr std::uint64_t kResourceSampleFrames = 1000;
constexpr std::uint64_t kFlushFrames = 16;

// A 1 ms system timer resolution while the saver runs, so that the sleeps of
// the frame wait end on time instead of on the default 10-16 ms tick.
class TimerResolution {
 public:
  TimerResolution() : active_(timeBeginPeriod(1) == TIMERR_NOERROR) {}
  ~TimerResolution() {
    if (active_) timeEndPeriod(1);
  }
  TimerResolution(const TimerResolution&) = delete;
  TimerResolution& operator=(const TimerResolution&) = delete;

 private:
  bool active_;
};

// Makes a window modal over the thread's other windows (the configuration
// dialog that started a preview): disables them, and enables them again.
class ThreadWindowsDisabled {
 public:
  ThreadWindowsDisabled() {
    EnumThreadWindows(GetCurrentThreadId(), &collect, reinterpret_cast<LPARAM>(&windows_));
    for (HWND window : windows_) EnableWindow(window, FALSE);
  }
  ~ThreadWindowsDisabled() { restore(); }
  ThreadWindowsDisabled(const ThreadWindowsDisabled&) = delete;
  ThreadWindowsDisabled& operator=(const ThreadWindowsDisabled&) = delete;

  void restore() {
    for (HWND window : windows_) {
      if (IsWindow(window)) EnableWindow(window, TRUE);
    }
    windows_.clear();
  }

 private:
  static BOOL CALLBACK collect(HWND window, LPARAM list) {
    if (IsWindowVisible(window) && IsWindowEnabled(window)) {
      reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
  }
  std::vector<HWND> windows_;
};

// The file FIZZLET_FRAME_LOG names, opened for appending, or null.
std::FILE* open_frame_log() {
  std::vector<char> path(MAX_PATH + 1);
  const DWORD length =
      GetEnvironmentVariableA(kFrameLogVariable, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return nullptr;
  return std::fopen(path.data(), "a");
}

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, CloseFile>;

// One "e <ms> <what>" line of the frame log.
void write_event(std::FILE* file, const char* what) {
  std::fprintf(file, "e %lu %s\n", static_cast<unsigned long>(timeGetTime()), what);
  std::fflush(file);
}

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

// Instrumentation for the figures and soak scripts, off unless
// FIZZLET_FRAME_LOG names a file:
//   "f <ms>"  the start of every frame (timeGetTime);
//   "first <ms since the process was created> <unix ms> <ms>"  once, when
//             the first frame has been presented;
//   "r <frame> <ms> <gdi objects> <handles> <private bytes>"  every 1000
//             frames: the GDI objects the program holds (its own count),
//             its handles (own_handle_count) and its private memory (0
//             under Wine, which does not count it);
//   "e <ms> <what>"  events that can end the loop, and why it ended.
class FrameLog {
 public:
  FrameLog() : file_(open_frame_log()) {
    // Buffered, and written out about twice a second, so that measuring
    // costs the saver next to nothing.
    if (file_) std::setvbuf(file_.get(), nullptr, _IOFBF, 1 << 16);
  }

  void frame(std::uint32_t start_ms) {
    if (!file_) return;
    if (frames_ % kResourceSampleFrames == 0) sample(start_ms);
    std::fprintf(file_.get(), "f %lu\n", static_cast<unsigned long>(start_ms));
    ++frames_;
    if (frames_ % kFlushFrames == 0) std::fflush(file_.get());
  }

  void presented() {
    if (!file_ || first_presented_) return;
    first_presented_ = true;
    FILETIME created{}, exited{}, kernel{}, user{}, now{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    std::fprintf(file_.get(), "first %llu %llu %lu\n",
                 static_cast<unsigned long long>(unix_ms(now) - unix_ms(created)),
                 static_cast<unsigned long long>(unix_ms(now)),
                 static_cast<unsigned long>(timeGetTime()));
    std::fflush(file_.get());
  }

  explicit operator bool() const { return file_ != nullptr; }

  void event(const char* what) {
    if (file_) write_event(file_.get(), what);
  }

 private:
  void sample(std::uint32_t now_ms) {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof(memory));
    std::fprintf(file_.get(), "r %llu %lu %ld %lu %llu\n", static_cast<unsigned long long>(frames_),
                 static_cast<unsigned long>(now_ms), live_gdi_objects(), own_handle_count(),
                 static_cast<unsigned long long>(memory.PrivateUsage));
    std::fflush(file_.get());
  }

  UniqueFile file_;
  std::uint64_t frames_ = 0;
  bool first_presented_ = false;
};

// The rectangle of the whole virtual screen (every monitor), in desktop
// coordinates; the primary screen where the system reports none.
PixelRect virtual_screen() {
  PixelRect r{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
              GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  if (r.empty()) r = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return r;
}

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

// Every monitor's rectangle in desktop coordinates, the primary one first.
std::vector<PixelRect> list_monitors() {
  std::vector<PixelRect> monitors;
  EnumDisplayMonitors(nullptr, nullptr, &add_monitor, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

std::uint64_t clock_seed() {
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  return static_cast<std::uint64_t>(counter.QuadPart) ^
         (static_cast<std::uint64_t>(timeGetTime()) << 32);
}

class SaverWindow final : public FrameHost {
 public:
  SaverWindow(ProcessValues& process, Settings& settings, SettingsStore& store, bool preview_mode,
              SaverKeep& keep, const PasswordPromptFactory& password_prompt)
      : process_(process),
        settings_(settings),
        store_(store),
        keep_(keep),
        password_prompt_(password_prompt ? password_prompt(flags_) : nullptr) {
    flags_.preview_mode = preview_mode;
  }
  SaverWindow(const SaverWindow&) = delete;
  SaverWindow& operator=(const SaverWindow&) = delete;
  ~SaverWindow() override {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  }

  // Creates the window (which starts the run), shows it and processes
  // messages until it is gone.
  void run() {
    if (flags_.preview_mode) modal_.emplace();
    if (!create()) {
      process_.saver_running = false;
      return;
    }
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    UpdateWindow(hwnd_);
    // The first activation runs the set-up and the loop; post it in case the
    // system does not activate the window by itself.
    PostMessageA(hwnd_, kMsgActivate, 0, 0);
    while (hwnd_ != nullptr) {
      pump();
      if (hwnd_ == nullptr) break;
      MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    modal_.reset();
    // A quit request that arrived while the saver ran belongs to the caller.
    if (quit_received_) PostQuitMessage(0);
  }

  // FrameHost
  bool saver_running() const override { return process_.saver_running; }
  std::uint32_t read_time_ms() override { return win32::read_time_ms(); }
  void compose_frame(std::uint32_t frame_start_ms) override {
    frame_log_.frame(frame_start_ms);
    // The frame is composed in the DIB sections' memory: GDI must be done
    // with them first.
    GdiFlush();
    keep_.scene.frame(surfaces());
    frame_log_.presented();
  }
  void process_pending_events() override { pump(); }
  void wait_for_events(std::uint32_t timeout_ms) override {
    MsgWaitForMultipleObjectsEx(0, nullptr, timeout_ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
  bool password_enabled() override { return win32::password_enabled(); }
  void show_password_dialog() override {
    frame_log_.event("password dialog shown");
    if (password_prompt_) password_prompt_->show(hwnd_);
  }
  void repaint_from_copy() override { Animation::repaint(surfaces()); }
  void handle_music() override { music_.handle_music(settings_, process_.app_folder); }

 private:
  static LRESULT CALLBACK window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      auto* self =
          static_cast<SaverWindow*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
      self->hwnd_ = hwnd;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<SaverWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      self->hwnd_ = nullptr;
      return DefWindowProcA(hwnd, message, wparam, lparam);
    }
    return self->handle(message, wparam, lparam);
  }

  bool create() {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA window_class{};
    window_class.cbSize = sizeof(window_class);
    // CS_OWNDC: the window keeps one device context for its whole life, the
    // present target of every frame.
    window_class.style = CS_OWNDC;
    window_class.lpfnWndProc = &window_proc;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    window_class.lpszClassName = kClassName;
    RegisterClassExA(&window_class);  // fails harmlessly when already registered

    // Borderless and without a title bar, so that the client area is the
    // whole window: every monitor.
    const PixelRect desktop = virtual_screen();
    // Topmost from the start unless previewing (the set-up makes it so
    // again), so that it need not be restacked once shown.
    const DWORD topmost = flags_.preview_mode ? 0 : WS_EX_TOPMOST;
    CreateWindowExA(topmost, kClassName, kSaverCaption, WS_POPUP, desktop.left, desktop.top,
                    desktop.width, desktop.height, nullptr, nullptr, instance, this);
    return hwnd_ != nullptr;
  }

  LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam) {
    if (music_.handle_message(message, wparam, lparam)) return 0;
    switch (message) {
      case WM_CREATE:
        start_run();
        return 0;
      case WM_ACTIVATE:
        if (LOWORD(wparam) != WA_INACTIVE) PostMessageA(hwnd_, kMsgActivate, 0, 0);
        break;
      case kMsgActivate:
        on_activate();
        return 0;
      case WM_MOUSEMOVE:
        on_mouse_move(lparam);
        return 0;
      case WM_CHAR:
        if (frame_log_) {
          char text[64];
          std::snprintf(text, sizeof text, "key %u, repeat %u, was down %u",
                        static_cast<unsigned>(wparam), static_cast<unsigned>(lparam & 0xFFFF),
                        static_cast<unsigned>((lparam >> 30) & 1));
          frame_log_.event(text);
        }
        record_key_press(flags_);  // any typed character: which one does not matter
        return 0;
      case WM_QUERYNEWPALETTE:
        // On a palette display: the sheet's colours again when we get the focus back.
        if (palette_) {
          RealizePalette(window_dc_->get());
          InvalidateRect(hwnd_, nullptr, FALSE);
          return TRUE;
        }
        break;
      case WM_ERASEBKGND:
        // WM_PAINT covers everything: black before the surfaces exist, from
        // them afterwards.  Erasing first would flash black over the kernels
        // (and paint a screen-sized window twice).
        return 1;
      case WM_PAINT:
        paint();
        return 0;
      case WM_SYSCOMMAND:
        switch (wparam & 0xFFF0) {
          case SC_SCREENSAVE:
            return 0;  // we are the screen saver
          case SC_CLOSE:
            // The window has no system menu, so this is the keyboard's close
            // shortcut; with the password option on it must not bypass it.
            if (!keyboard_close_allowed(flags_,
                                        !flags_.preview_mode && win32::password_enabled())) {
              frame_log_.event("keyboard close refused (password on)");
              return 0;
            }
            frame_log_.event("keyboard close");
            break;
          default:
            break;
        }
        break;
      case WM_CLOSE:
        // A close request from outside the loop: the first pass of the
        // two-pass unload (refused while the loop runs).
        frame_log_.event("close request");
        if (end_run()) destroy();
        return 0;
      default:
        break;
    }
    return DefWindowProcA(hwnd_, message, wparam, lparam);
  }

  void pump() {
    if (!process_pending_messages() && !quit_received_) {
      // A quit request: end the saver as on a close request, then hand the
      // request on to whoever runs the thread's message loop.
      quit_received_ = true;
      frame_log_.event("quit message");
      if (hwnd_ != nullptr) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
    }
  }

  // The window exists: the run starts, the pointer hides, the music list is
  // ready; the set-up waits for the first activation.
  void start_run() {
    frame_log_.event("run started");
    window_dc_.emplace(hwnd_);
    process_.saver_running = true;
    unload_guard_ = true;
    flags_.activity_threshold = kActivityThreshold;
    music_.init_music(hwnd_);
    activated_ = false;
    // Where the pointer rests now: mouse-move notifications at this very
    // position (the one the system sends when the window appears under the
    // pointer, or when the cursor is hidden) are not movement.
    POINT cursor{};
    if (GetCursorPos(&cursor)) {
      mouse_filter_ = MouseMoveFilter(PointerPosition{cursor.x, cursor.y});
    }
    hide_cursor();
    saver_mode_on();
  }

  // The first activation: the set-up, once per run, then the frame loop.
  void on_activate() {
    if (activated_ || hwnd_ == nullptr) return;
    activated_ = true;
    frame_log_.event("activated");

    // The whole virtual screen: every monitor.
    const PixelRect desktop = virtual_screen();
    MoveWindow(hwnd_, desktop.left, desktop.top, desktop.width, desktop.height, TRUE);
    UpdateWindow(hwnd_);
    pump();
    if (hwnd_ == nullptr) return;

    frame_log_.event("window moved");
    const std::uint64_t seed = clock_seed();
    flags_.exit_requested = false;
    // Settings saved by the configuration dialog since start-up apply.
    load_settings(store_, settings_);
    flags_.activity_count = 0;
    flags_.password_dialog_open = false;

    // The window has no frame, so its outer size is its drawing area.
    RECT rect{};
    GetWindowRect(hwnd_, &rect);
    flags_.screen_width_px = rect.right - rect.left;
    flags_.screen_height_px = rect.bottom - rect.top;
    const int width = flags_.screen_width_px;
    const int height = flags_.screen_height_px;

    // A black window and black work and copy surfaces of the window's size,
    // composed in memory; the sheet and its mask decoded from the resources.
    const HDC dc = window_dc_->get();
    // (The window is black already: its paint handler makes it so until the
    // surfaces exist.)
    screen_ = GdiSurface(dc, width, height);
    work_ = DibSurface::create(width, height);
    copy_ = DibSurface::create(width, height);
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    const std::optional<DibImage> sprite_picture = load_picture(instance, IDB_SPRITE);
    const std::optional<DibImage> mask_picture = load_picture(instance, IDB_MASK);
    sprite_ = sprite_picture ? SoftwareSurface::from_image(*sprite_picture) : SoftwareSurface();
    mask_ = mask_picture ? SoftwareSurface::from_image(*mask_picture) : SoftwareSurface();
    // A display of at most 256 colours at a time shows the sheet's own
    // colours: its palette goes into the window's device context.
    if ((GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0 && sprite_picture) {
      palette_ = picture_palette(*sprite_picture);
      if (palette_) palette_selection_.emplace(dc, palette_.get());
    }
    surfaces_ready_ = true;
    frame_log_.event("surfaces ready");

    if (!flags_.preview_mode) {
      SetWindowPos(hwnd_, HWND_TOPMOST, rect.left, rect.top, width, height, 0);
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateWindow(hwnd_);
    pump();
    if (hwnd_ == nullptr) return;
    frame_log_.event("window shown");

    // One animation per monitor, each over its own part of the window.
    const double colours =
        get_numberofcolors(GetDeviceCaps(dc, BITSPIXEL), GetDeviceCaps(dc, PLANES));
    const PixelRect window_rect{rect.left, rect.top, width, height};
    const std::vector<PixelRect> monitors = list_monitors();
    keep_.scene.set_up(animation_areas(window_rect, monitors), settings_, colours, seed);
    flags_.repaint_requested = true;
    frame_log_.event("set-up done");

    main_loop(flags_, keep_.activity_window, *this);
    log_loop_end();

    // End steps: the loop itself unloads the window, now without refusal.
    unload_guard_ = false;
    if (hwnd_ != nullptr && end_run()) destroy();
  }

  void log_loop_end() {
    char text[96];
    std::snprintf(text, sizeof text, "loop ended: saver_running %d, exit_requested %d",
                  process_.saver_running ? 1 : 0, flags_.exit_requested ? 1 : 0);
    frame_log_.event(text);
  }

  // The run ends: the music stops, the pointer shows, the system's saver
  // state is off.  True when the window may go (not while the loop runs).
  bool end_run() {
    music_.music_off(settings_);
    show_cursor();
    saver_mode_off();
    process_.saver_running = false;
    return !unload_guard_;
  }

  void destroy() {
    // Give the windows that a preview disabled back their input first, so
    // that activation returns to them when this window goes.
    if (modal_) modal_->restore();
    DestroyWindow(hwnd_);
  }

  // Pointer movement counts as activity once it leaves where it rested.
  void on_mouse_move(LPARAM lparam) {
    POINT point{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
    ClientToScreen(hwnd_, &point);
    if (mouse_filter_.moved(PointerPosition{point.x, point.y})) {
      frame_log_.event("mouse move");
      record_mouse_move(flags_);
    }
  }

  // Whatever part of the window the system asks for is restored from the
  // complete current frame, so the screen never shows garbage.
  void paint() {
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(hwnd_, &paint);
    const RECT& area = paint.rcPaint;
    if (surfaces_ready_ && work_) {
      GdiSurface(dc, flags_.screen_width_px, flags_.screen_height_px)
          .bit_blt(area.left, area.top, area.right - area.left, area.bottom - area.top, work_,
                   area.left, area.top, RasterOp::src_copy);
    } else {
      PatBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, BLACKNESS);
    }
    EndPaint(hwnd_, &paint);
  }

  CompositorSurfaces surfaces() { return {copy_, work_, sprite_, mask_, screen_}; }

  ProcessValues& process_;
  Settings& settings_;
  SettingsStore& store_;
  SaverKeep& keep_;
  SaverFlags flags_;
  HWND hwnd_ = nullptr;
  bool unload_guard_ = false;  // until the frame loop ends, a close request is refused
  bool activated_ = false;
  bool quit_received_ = false;
  bool surfaces_ready_ = false;
  MouseMoveFilter mouse_filter_;
  std::optional<ThreadWindowsDisabled> modal_;
  std::optional<WindowDc> window_dc_;
  SaverMusic music_;
  std::unique_ptr<PasswordPrompt> password_prompt_;
  GdiSurface screen_;
  DibSurface work_;
  DibSurface copy_;
  SoftwareSurface sprite_;
  SoftwareSurface mask_;
  UniquePalette palette_;
  std::optional<PaletteSelection> palette_selection_;
  FrameLog frame_log_;
};

}  // namespace

void show_screensaver(ProcessValues& process, Settings& settings, SettingsStore& store,
                      bool preview_mode, SaverKeep& state,
                      const PasswordPromptFactory& password_prompt) {
  const TimerResolution timer_resolution;
  SaverWindow window(process, settings, store, preview_mode, state, password_prompt);
  window.run();
}

void note_in_frame_log(const char* text) {
  const UniqueFile file(open_frame_log());
  if (file) write_event(file.get(), text);
}

}  // namespace fizzlet::win32
