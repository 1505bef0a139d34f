#include "saver/x11/saver_window.h"

#include <X11/Xlib.h>
// (after Xlib.h)
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <optional>

#include "saver/animation.h"
#include "saver/frame_loop.h"
#include "saver/x11/fluid_music.h"
#include "saver/x11/image_screen.h"
#include "saver/x11/sheet_images.h"
#include "saver/x11/xlib.h"

namespace fizzlet::x11 {
namespace {

// A grab fails while another program holds the keyboard or the pointer (a
// menu that is open, for instance); it is tried again for this long.
constexpr int kGrabAttempts = 20;
constexpr int kGrabRetryMs = 50;
constexpr std::uint64_t kResourceSampleFrames = 1000;

std::uint32_t steady_ms() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::uint64_t clock_seed() {
  return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
         (static_cast<std::uint64_t>(getpid()) << 48);
}

std::string hex_id(std::uint64_t id) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(id));
  return text;
}

// SIGTERM (the xscreensaver daemon ending a saver), SIGINT and SIGHUP, read
// from a descriptor that the frame wait watches, instead of interrupting
// whatever runs.  The signals are blocked in every thread started after this
// (the music's), so only the descriptor sees them.
class SignalWatch {
 public:
  SignalWatch() {
    sigemptyset(&set_);
    sigaddset(&set_, SIGTERM);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &set_, &previous_);
    fd_ = signalfd(-1, &set_, SFD_NONBLOCK | SFD_CLOEXEC);
  }
  ~SignalWatch() {
    if (fd_ >= 0) close(fd_);
    // A signal that came in after the last look is still pending: it ends
    // the process when unblocked, as it would have done anyway.
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
  SignalWatch(const SignalWatch&) = delete;
  SignalWatch& operator=(const SignalWatch&) = delete;

  int fd() const { return fd_; }
  bool caught() {
    signalfd_siginfo info{};
    bool any = false;
    while (fd_ >= 0 && read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) any = true;
    return any;
  }

 private:
  sigset_t set_{};
  sigset_t previous_{};
  int fd_ = -1;
};

// Instrumentation for the figures script, off unless kFrameLogVariable names
// a file.
class FrameLog {
 public:
  FrameLog() {
    if (const char* path = std::getenv(kFrameLogVariable); path != nullptr && *path != '\0') {
      file_.reset(std::fopen(path, "a"));
    }
  }

  void frame(std::uint32_t start_ms) {
    if (!file_) return;
    if (frames_ % kResourceSampleFrames == 0) {
      std::ifstream statm("/proc/self/statm");
      long pages = 0, resident = 0;
      statm >> pages >> resident;
      std::fprintf(file_.get(), "r %llu %lu %ld\n", static_cast<unsigned long long>(frames_),
                   static_cast<unsigned long>(start_ms), resident * (sysconf(_SC_PAGESIZE) / 1024));
    }
    std::fprintf(file_.get(), "f %lu\n", static_cast<unsigned long>(start_ms));
    std::fflush(file_.get());  // the figures script reads the log while the saver runs
    ++frames_;
  }

  // After the first frame: waits until the server has drawn it.
  void presented(Display* display) {
    if (!file_ || presented_) return;
    presented_ = true;
    XSync(display, False);
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::fprintf(file_.get(), "presented %lld%09ld\n", static_cast<long long>(now.tv_sec),
                 now.tv_nsec);
    std::fflush(file_.get());
  }

 private:
  struct Close {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, Close> file_;
  std::uint64_t frames_ = 0;
  bool presented_ = false;
};

struct Sheets {
  DibImage sprite;
  DibImage mask;
};

std::optional<Sheets> decode_sheets() {
  DibResult sprite = decode_bmp(sprite_bmp());
  DibResult mask = decode_bmp(mask_bmp());
  if (!sprite || !mask) return std::nullopt;
  return Sheets{std::move(*sprite.image), std::move(*mask.image)};
}

class SaverWindow final : public FrameHost {
 public:
  SaverWindow(Display* display, const SaverOptions& options, Settings& settings,
              SaverMusic& music, const Sheets& sheets)
      : display_(display),
        options_(options),
        settings_(settings),
        music_(music),
        saver_(sheets.sprite, sheets.mask) {}

  int run() {
    std::string error;
    if (!open_target(error)) {
      std::fprintf(stderr, "fizzlet: %s\n", error.c_str());
      return kExitCannotRun;
    }
    form_load();
    if (!set_up(width_, height_, error)) {
      std::fprintf(stderr, "fizzlet: %s\n", error.c_str());
      form_unload();
      return kExitCannotRun;
    }
    main_loop(flags_, activity_window_, *this);
    form_unload();
    return kExitDone;
  }

  // FrameHost
  bool saver_running() const override { return running_; }
  std::uint32_t read_time_ms() override { return steady_ms(); }
  void compose_frame(std::uint32_t frame_start_ms) override {
    if (resized_) {
      resized_ = false;
      std::string error;
      if (!set_up(resized_width_, resized_height_, error)) {
        std::fprintf(stderr, "fizzlet: %s\n", error.c_str());
        running_ = false;
        return;
      }
    }
    frame_log_.frame(frame_start_ms);
    screen_->prepare_to_draw();
    saver_.frame(*screen_);
    screen_->end_batch();
    frame_log_.presented(display_);
  }
  void process_pending_events() override {
    if (signals_.caught()) running_ = false;
    while (XPending(display_) > 0) {
      XEvent event{};
      XNextEvent(display_, &event);
      handle(event);
    }
    if (const auto error = take_x_error();
        error && error->resource == target_ &&
        (error->error_code == BadWindow || error->error_code == BadDrawable)) {
      running_ = false;  // the window went before its destruction was reported
    }
  }
  void wait_for_events(std::uint32_t timeout_ms) override {
    XFlush(display_);
    if (XEventsQueued(display_, QueuedAlready) > 0) return;
    pollfd watched[] = {{ConnectionNumber(display_), POLLIN, 0}, {signals_.fd(), POLLIN, 0}};
    poll(watched, 2, static_cast<int>(timeout_ms));
  }
  // Locking and passwords on X11 belong to the screen saver daemon.
  bool password_enabled() override { return false; }
  void show_password_dialog() override {}
  void repaint_from_copy() override {
    saver_.repaint(*screen_);
    screen_->end_batch();
  }
  void handle_music() override { music_.handle_music(settings_); }

 private:
  // Finds or makes the window to draw in; false with the reason in error.
  bool open_target(std::string& error) {
    const int screen = DefaultScreen(display_);
    XWindowAttributes attributes{};
    switch (options_.placement) {
      case Placement::own_window:
        visual_ = DefaultVisual(display_, screen);
        depth_ = DefaultDepth(display_, screen);
        error = unsupported_visual(visual_, depth_);
        if (!error.empty()) return false;
        create_own_window(screen);
        return true;
      case Placement::root:
        target_ = RootWindow(display_, screen);
        break;
      case Placement::window:
        target_ = static_cast<Window>(options_.window_id);
        break;
    }
    XSync(display_, False);
    take_x_error();
    if (XGetWindowAttributes(display_, target_, &attributes) == 0 || take_x_error()) {
      error = "there is no window " + hex_id(options_.window_id) + " on this display";
      return false;
    }
    visual_ = attributes.visual;
    depth_ = attributes.depth;
    width_ = attributes.width;
    height_ = attributes.height;
    error = unsupported_visual(visual_, depth_);
    if (!error.empty()) return false;
    // Only what the window does: its size, its exposure, its end.  Input
    // belongs to the program that owns it.
    XSelectInput(display_, target_, StructureNotifyMask | ExposureMask);
    return true;
  }

  void create_own_window(int screen) {
    const Window root = RootWindow(display_, screen);
    width_ = DisplayWidth(display_, screen);
    height_ = DisplayHeight(display_, screen);

    // An empty cursor: the pointer is hidden while the saver shows.
    const char nothing = 0;
    const OwnedPixmap bits(display_, XCreateBitmapFromData(display_, root, &nothing, 1, 1));
    XColor black{};
    blank_cursor_ = OwnedCursor(
        display_, XCreatePixmapCursor(display_, bits.get(), bits.get(), &black, &black, 0, 0));

    XSetWindowAttributes attributes{};
    // Above every other window, and not managed: no frame, no title bar.
    attributes.override_redirect = True;
    attributes.background_pixel = BlackPixel(display_, screen);
    attributes.cursor = blank_cursor_.get();
    attributes.event_mask = StructureNotifyMask | ExposureMask | KeyPressMask |
                            PointerMotionMask | ButtonPressMask;
    own_window_ = OwnedWindow(
        display_,
        XCreateWindow(display_, root, 0, 0, static_cast<unsigned>(width_),
                      static_cast<unsigned>(height_), 0, CopyFromParent, InputOutput,
                      CopyFromParent, CWOverrideRedirect | CWBackPixel | CWCursor | CWEventMask,
                      &attributes));
    target_ = own_window_.get();
    XStoreName(display_, target_, "fizzlet");
    XClassHint class_hint{const_cast<char*>("fizzlet"), const_cast<char*>("Fizzlet")};
    XSetClassHint(display_, target_, &class_hint);
  }

  // Form_Load: the window shows, the pointer hides, the music list is ready.
  void form_load() {
    running_ = true;
    flags_.activity_threshold = kActivityThreshold;
    music_.init_music(settings_);
    if (!own_window_) return;

    // Mouse-move notifications at the position where the pointer rests now
    // are not movement.
    Window root = 0, child = 0;
    int root_x = 0, root_y = 0, x = 0, y = 0;
    unsigned mask = 0;
    if (XQueryPointer(display_, target_, &root, &child, &root_x, &root_y, &x, &y, &mask)) {
      mouse_filter_ = MouseMoveFilter(PointerPosition{root_x, root_y});
    }
    XMapRaised(display_, target_);
    XEvent event{};
    XIfEvent(display_, &event, &is_map_notify, reinterpret_cast<XPointer>(&target_));
    // All keys and pointer movement come here, wherever the pointer is, and
    // the pointer stays hidden over other windows too.
    for (int attempt = 0; attempt < kGrabAttempts; ++attempt) {
      if (XGrabKeyboard(display_, target_, False, GrabModeAsync, GrabModeAsync, CurrentTime) ==
          GrabSuccess) {
        keyboard_grabbed_ = true;
        break;
      }
      poll(nullptr, 0, kGrabRetryMs);
    }
    if (!keyboard_grabbed_) XSetInputFocus(display_, target_, RevertToParent, CurrentTime);
    for (int attempt = 0; attempt < kGrabAttempts; ++attempt) {
      if (XGrabPointer(display_, target_, False,
                       PointerMotionMask | ButtonPressMask | ButtonReleaseMask, GrabModeAsync,
                       GrabModeAsync, None, blank_cursor_.get(), CurrentTime) == GrabSuccess) {
        pointer_grabbed_ = true;
        break;
      }
      poll(nullptr, 0, kGrabRetryMs);
    }
  }

  static Bool is_map_notify(Display*, XEvent* event, XPointer window) {
    return event->type == MapNotify &&
           event->xmap.window == *reinterpret_cast<const Window*>(window);
  }

  // The set-up for a width x height window (again after a change of size):
  // black surfaces and window, the sprites set up, a repaint at the end of
  // the first frame.
  bool set_up(int width, int height, std::string& error) {
    flags_.exit_requested = 0;
    flags_.activity_count = 0;
    flags_.password_dialog_open = 0;
    flags_.screen_width_px = width;
    flags_.screen_height_px = height;
    // The new image first: should it fail, the saver still has the old one.
    auto screen = ImageScreen::create(display_, target_, visual_, depth_, width, height, error);
    if (!screen) return false;
    saver_.start(width, height,
                 MotionSettings{settings_.total_fizzlet, settings_.pop_chance, width, height},
                 get_numberofcolors(depth_, 1), clock_seed(), screen->drawing_memory());
    screen_ = std::move(screen);
    repaint_from_copy();
    flags_.repaint_requested = 1;
    return true;
  }

  // Form_Unload: the music stops, the pointer and keyboard are given back.
  void form_unload() {
    music_.music_off(settings_);
    if (keyboard_grabbed_) XUngrabKeyboard(display_, CurrentTime);
    if (pointer_grabbed_) XUngrabPointer(display_, CurrentTime);
    screen_.reset();
    own_window_.reset();
    XSync(display_, False);
    running_ = false;
  }

  void handle(const XEvent& event) {
    switch (event.type) {
      case Expose:
        // The whole window again from the current frame, once the server
        // has said everything that needs it.
        if (event.xexpose.window == target_ && event.xexpose.count == 0 && screen_) {
          saver_.redraw(*screen_);
          screen_->end_batch();
        }
        break;
      case ConfigureNotify:
        if (event.xconfigure.window == target_ && !own_window_ &&
            (event.xconfigure.width != width_ || event.xconfigure.height != height_)) {
          width_ = resized_width_ = event.xconfigure.width;
          height_ = resized_height_ = event.xconfigure.height;
          resized_ = true;
        }
        break;
      case DestroyNotify:
        if (event.xdestroywindow.window == target_) running_ = false;
        break;
      case KeyPress: {
        // Form_KeyPress: only keys that type a character (Delete aside, as
        // on Windows) count.
        char text[8];
        KeySym key = NoSymbol;
        XKeyEvent key_event = event.xkey;
        const int length = XLookupString(&key_event, text, sizeof text, &key, nullptr);
        if (length > 0 && key != XK_Delete && key != XK_KP_Delete) record_key_press(flags_);
        break;
      }
      case MotionNotify:
        // Form_MouseMove
        if (mouse_filter_.moved(PointerPosition{event.xmotion.x_root, event.xmotion.y_root})) {
          record_mouse_move(flags_);
        }
        break;
      default:
        break;  // clicks and everything else: nothing
    }
  }

  Display* display_;
  const SaverOptions& options_;
  Settings& settings_;
  SaverMusic& music_;
  SignalWatch signals_;
  SoftwareSaver saver_;
  std::unique_ptr<ImageScreen> screen_;
  SaverFlags flags_;
  ActivityWindow activity_window_;
  MouseMoveFilter mouse_filter_;
  FrameLog frame_log_;
  OwnedCursor blank_cursor_;
  OwnedWindow own_window_;
  Window target_ = 0;
  Visual* visual_ = nullptr;
  int depth_ = 0;
  int width_ = 0;
  int height_ = 0;
  int resized_width_ = 0;
  int resized_height_ = 0;
  bool resized_ = false;
  bool running_ = false;
  bool keyboard_grabbed_ = false;
  bool pointer_grabbed_ = false;
};

}  // namespace

int run_saver(const SaverOptions& options, Settings& settings) {
  const std::optional<Sheets> sheets = decode_sheets();
  if (!sheets) {
    std::fputs("fizzlet: the sprite sheet compiled into the program is damaged\n", stderr);
    return kExitCannotRun;
  }
  const DisplayHandle display(
      XOpenDisplay(options.display.empty() ? nullptr : options.display.c_str()));
  if (!display) {
    std::fprintf(stderr, "fizzlet: cannot open the X display \"%s\"\n",
                 XDisplayName(options.display.empty() ? nullptr : options.display.c_str()));
    return kExitCannotRun;
  }
  install_x_error_handlers();
  SaverMusic music(options.soundfont);
  SaverWindow window(display.get(), options, settings, music, *sheets);
  return window.run();
}

}  // namespace fizzlet::x11
