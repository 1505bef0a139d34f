#include "saver/win32/screensaver_window.h"

#include <windows.h>
// (after windows.h)
#include <mmsystem.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "graphics/win32/gdi_surface.h"
#include "resource_ids.h"
#include "saver/compositor.h"
#include "saver/session.h"
#include "music/win32/mci_player.h"
#include "saver/win32/process_figures.h"
#include "startup/win32/system_utils.h"

namespace fizzlet::win32 {
namespace {

constexpr char kClassName[] = "FizzletScreenSaverWindow";
// Posted on activation: runs the set-up (once) and the frame loop outside of
// the call that activated the window.
constexpr UINT kMsgActivate = WM_APP + 1;

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

class SaverWindow final : public SaverHost {
 public:
  SaverWindow(ProcessValues& process, Settings& settings, SettingsStore& store, bool preview_mode,
              SaverKeep& keep, const PasswordPromptFactory& password_prompt)
      : process_(process),
        preview_mode_(preview_mode),
        make_password_prompt_(password_prompt),
        sprite_picture_(load_picture(GetModuleHandleA(nullptr), IDB_SPRITE)),
        mask_picture_(load_picture(GetModuleHandleA(nullptr), IDB_MASK)),
        music_(process.app_folder),
        session_(*this, settings, keep, sprite_picture_ ? &*sprite_picture_ : nullptr,
                 mask_picture_ ? &*mask_picture_ : nullptr,
                 SessionOptions{preview_mode, &store, frame_log_path()}) {}
  SaverWindow(const SaverWindow&) = delete;
  SaverWindow& operator=(const SaverWindow&) = delete;
  ~SaverWindow() override {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  }

  // Creates the window (the run starts inside), shows it and processes
  // messages until it is gone.
  void run() {
    if (preview_mode_) modal_.emplace();
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

  // SaverHost
  std::optional<ScreenSurfaces> open_screen(int width, int height, std::string&) override {
    // The work and clean background surfaces are DIB sections, which the
    // window's device context copies from.
    const HDC dc = window_dc_->get();
    screen_ = GdiSurface(dc, width, height);
    ScreenSurfaces made;
    made.screen = &screen_;
    made.work = std::make_unique<DibSurface>(DibSurface::create(width, height));
    made.background = std::make_unique<DibSurface>(DibSurface::create(width, height));
    made.shows_black = true;  // the paint handler makes it so until the surfaces exist
    // A display of at most 256 colours at a time shows the sheet's own
    // colours: its palette goes into the window's device context.
    if ((GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0 && sprite_picture_ && !palette_) {
      palette_ = picture_palette(*sprite_picture_);
      if (palette_) palette_selection_.emplace(dc, palette_.get());
    }
    return made;
  }
  double number_of_colors() override {
    const HDC dc = window_dc_->get();
    return get_numberofcolors(GetDeviceCaps(dc, BITSPIXEL), GetDeviceCaps(dc, PLANES));
  }
  std::vector<PixelRect> monitors() override { return list_monitors(); }
  // The frame is composed in the DIB sections' memory: GDI must be done
  // with them first.
  void begin_drawing() override { GdiFlush(); }
  std::uint32_t read_time_ms() override { return win32::read_time_ms(); }
  void process_pending_events() override { pump(); }
  void wait_for_events(std::uint32_t timeout_ms) override {
    MsgWaitForMultipleObjectsEx(0, nullptr, timeout_ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
  SaverMusicControl& music() override { return music_; }
  void set_cursor_visible(bool visible) override { visible ? show_cursor() : hide_cursor(); }
  void set_system_saver_running(bool running) override {
    running ? saver_mode_on() : saver_mode_off();
  }
  bool password_enabled() override { return win32::password_enabled(); }
  void show_password_dialog(SaverFlags& flags) override {
    if (!password_prompt_ && make_password_prompt_) password_prompt_ = make_password_prompt_(flags);
    if (password_prompt_) password_prompt_->show(hwnd_);
  }
  SeedValues seed_values() override {
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    return {static_cast<std::uint64_t>(counter.QuadPart), GetCurrentProcessId()};
  }
  ResourceSample resource_sample() override { return process_figures(); }
  std::optional<std::uint64_t> process_age_ms() override { return win32::process_age_ms(); }

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
    const DWORD topmost = preview_mode_ ? 0 : WS_EX_TOPMOST;
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
      case WM_MOUSEMOVE: {
        POINT point{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
        ClientToScreen(hwnd_, &point);
        session_.pointer_moved(PointerPosition{point.x, point.y});
        return 0;
      }
      case WM_CHAR: {
        // The key itself does not matter; the log tells which it was.
        char text[64];
        std::snprintf(text, sizeof text, "%u, repeat %u, was down %u",
                      static_cast<unsigned>(wparam), static_cast<unsigned>(lparam & 0xFFFF),
                      static_cast<unsigned>((lparam >> 30) & 1));
        session_.key_typed(text);
        return 0;
      }
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
            if (!session_.keyboard_close_allowed()) return 0;
            break;
          default:
            break;
        }
        break;
      case WM_CLOSE:
        // A close request from outside the loop: the first pass of the
        // two-pass unload (refused while the loop runs).
        session_.note("close request");
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
      session_.note("quit message");
      if (hwnd_ != nullptr) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
    }
  }

  // The window exists: the session loads, knowing where the pointer rests
  // now (mouse-move notifications at this very position, which the system
  // sends when the window appears under the pointer or the cursor hides,
  // are not movement).
  void start_run() {
    window_dc_.emplace(hwnd_);
    music_.attach(hwnd_);
    process_.saver_running = true;
    POINT cursor{};
    if (GetCursorPos(&cursor)) session_.pointer_rests_at(PointerPosition{cursor.x, cursor.y});
    session_.start_run();
  }

  // The first activation: the window covers every monitor, the session
  // sets up, the window goes on top and the frame loop runs.
  void on_activate() {
    if (hwnd_ == nullptr || !session_.first_activation()) return;
    const PixelRect desktop = virtual_screen();
    MoveWindow(hwnd_, desktop.left, desktop.top, desktop.width, desktop.height, TRUE);
    UpdateWindow(hwnd_);
    pump();
    if (hwnd_ == nullptr) return;
    session_.note("window moved");

    // The window has no frame, so its outer size is its drawing area.
    RECT rect{};
    GetWindowRect(hwnd_, &rect);
    const PixelRect window{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
    session_.set_up(window);
    if (!preview_mode_) {
      SetWindowPos(hwnd_, HWND_TOPMOST, window.left, window.top, window.width, window.height, 0);
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateWindow(hwnd_);
    pump();
    if (hwnd_ == nullptr) return;
    session_.note("window shown");

    session_.run();
    if (hwnd_ != nullptr && end_run()) destroy();
  }

  // True when the window may go.
  bool end_run() {
    const bool may_go = session_.end_run();
    process_.saver_running = false;
    return may_go;
  }

  void destroy() {
    // Give the windows that a preview disabled back their input first, so
    // that activation returns to them when this window goes.
    if (modal_) modal_->restore();
    DestroyWindow(hwnd_);
  }

  // Whatever part of the window the system asks for is restored from the
  // complete current frame, so the screen never shows garbage.
  void paint() {
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(hwnd_, &paint);
    const RECT& area = paint.rcPaint;
    if (const SoftwareSurface* frame = session_.frame()) {
      GdiSurface(dc, frame->width(), frame->height())
          .bit_blt(area.left, area.top, area.right - area.left, area.bottom - area.top, *frame,
                   area.left, area.top, RasterOp::src_copy);
    } else {
      PatBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, BLACKNESS);
    }
    EndPaint(hwnd_, &paint);
  }

  ProcessValues& process_;
  const bool preview_mode_;
  const PasswordPromptFactory make_password_prompt_;
  HWND hwnd_ = nullptr;
  bool quit_received_ = false;
  std::optional<ThreadWindowsDisabled> modal_;
  std::optional<WindowDc> window_dc_;
  const std::optional<DibImage> sprite_picture_;
  const std::optional<DibImage> mask_picture_;
  UniquePalette palette_;
  std::optional<PaletteSelection> palette_selection_;
  GdiSurface screen_;
  SaverMusic music_;
  SaverSession session_;
  std::unique_ptr<PasswordPrompt> password_prompt_;
};

}  // namespace

void show_screensaver(ProcessValues& process, Settings& settings, SettingsStore& store,
                      bool preview_mode, SaverKeep& state,
                      const PasswordPromptFactory& password_prompt) {
  const TimerResolution timer_resolution;
  SaverWindow window(process, settings, store, preview_mode, state, password_prompt);
  window.run();
}

void note_in_frame_log(const char* text) { FrameLog(frame_log_path()).event(read_time_ms(), text); }

}  // namespace fizzlet::win32
