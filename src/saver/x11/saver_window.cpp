#include "saver/x11/saver_window.h"

#include <X11/Xlib.h>
// (after Xlib.h)
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>

#include "music/fluidsynth/fluid_music.h"
#include "saver/compositor.h"
#include "saver/native_host.h"
#include "saver/posix/posix_host.h"
#include "saver/posix/sheet_images.h"
#include "saver/session.h"
#include "saver/x11/image_screen.h"
#include "saver/x11/xlib.h"

namespace fizzlet::x11 {
namespace {

// The saver's X11 window system: the window to draw in (a full-screen one of
// its own, the root window, or another program's), its events, the pointer
// and keyboard grabs; the session does the rest.
class SaverWindow final : public posix::PosixHost {
 public:
  SaverWindow(Display* display, const SaverTarget& options, Settings& settings,
              SaverMusicControl& music, const SpriteSheets& sheets)
      // The server's events wait for the frame's end: it says every frame
      // when it has read the image (ImageScreen::take_event).
      : PosixHost(music, false),
        display_(display),
        options_(options),
        session_(*this, settings, keep_, &sheets.sprite, &sheets.mask,
                 SessionOptions{false, nullptr, frame_log_path()}) {}

  int run() {
    std::string error;
    if (!open_target(error)) return cannot_run(error);
    session_.start_run();
    if (takes_input(options_.placement)) show_and_grab();
    const int status = run_to_end(session_, {0, 0, width_, height_});
    release();
    return status;
  }

  // SaverHost
  std::optional<ScreenSurfaces> open_screen(int width, int height, std::string& error) override {
    auto screen = ImageScreen::create(display_, target_, visual_, depth_, width, height, error);
    if (!screen) return std::nullopt;
    ScreenSurfaces made = memory_surfaces(*screen, width, height, screen->drawing_memory());
    screen_ = std::move(screen);
    return made;
  }
  double number_of_colors() override { return get_numberofcolors(depth_, 1); }
  std::vector<PixelRect> monitors() override {
    if (!splits_by_monitor(options_.placement)) return {};
    return list_monitors(display_, RootWindow(display_, DefaultScreen(display_)));
  }
  void begin_drawing() override { screen_->prepare_to_draw(); }
  void end_drawing() override { screen_->end_batch(); }
  void wait_until_shown() override { XSync(display_, False); }
  // The saver's own window has an empty cursor from its creation; another
  // program's window keeps the cursor its owner gave it.
  void set_cursor_visible(bool) override {}

 private:
  // PosixHost
  int connection_fd() override { return ConnectionNumber(display_); }
  // The frame's requests go out.  (Xlib reads the connection whenever it
  // flushes or counts its events; what it read waits, as the server's
  // events do, for the wait's end.)
  bool events_waiting() override {
    XFlush(display_);
    return false;
  }
  void end_by_signal() override { session_.stop(); }
  void handle_window_events() override {
    // The events read already, then one read of the connection (Xlib
    // reads only when its queue is empty) and what that brought.
    do {
      while (XQLength(display_) > 0) {
        XEvent event{};
        XNextEvent(display_, &event);
        handle(event);
      }
    } while (XEventsQueued(display_, QueuedAfterReading) > 0);
    if (const auto error = take_x_error();
        error && error->resource == target_ &&
        (error->error_code == BadWindow || error->error_code == BadDrawable)) {
      session_.stop();  // the window went before its destruction was reported
    }
  }

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
      error = missing_window_error(options_.window_id);
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
    attributes.event_mask =
        StructureNotifyMask | ExposureMask | KeyPressMask | PointerMotionMask | ButtonPressMask;
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

  // The saver's own window shows, above all others, and takes every key and
  // all pointer movement, wherever the pointer is; the pointer stays hidden
  // over other windows too.  Notifications at the position where the
  // pointer rests now are not movement.
  void show_and_grab() {
    Window root = 0, child = 0;
    int root_x = 0, root_y = 0, x = 0, y = 0;
    unsigned mask = 0;
    if (XQueryPointer(display_, target_, &root, &child, &root_x, &root_y, &x, &y, &mask)) {
      session_.pointer_rests_at(PointerPosition{root_x, root_y});
    }
    XMapRaised(display_, target_);
    XEvent event{};
    XIfEvent(display_, &event, &is_map_notify, reinterpret_cast<XPointer>(&target_));
    keyboard_grabbed_ = retry_grab([&] {
      return XGrabKeyboard(display_, target_, False, GrabModeAsync, GrabModeAsync, CurrentTime) ==
             GrabSuccess;
    }, pause);
    if (!keyboard_grabbed_) XSetInputFocus(display_, target_, RevertToParent, CurrentTime);
    pointer_grabbed_ = retry_grab([&] {
      return XGrabPointer(display_, target_, False,
                          PointerMotionMask | ButtonPressMask | ButtonReleaseMask, GrabModeAsync,
                          GrabModeAsync, None, blank_cursor_.get(), CurrentTime) == GrabSuccess;
    }, pause);
  }

  static void pause(int ms) { posix::wait_for_input({}, static_cast<std::uint32_t>(ms)); }

  static Bool is_map_notify(Display*, XEvent* event, XPointer window) {
    return event->type == MapNotify &&
           event->xmap.window == *reinterpret_cast<const Window*>(window);
  }

  // The pointer and keyboard are given back, the windows go.
  void release() {
    if (keyboard_grabbed_) XUngrabKeyboard(display_, CurrentTime);
    if (pointer_grabbed_) XUngrabPointer(display_, CurrentTime);
    screen_.reset();
    own_window_.reset();
    XSync(display_, False);
  }

  void handle(const XEvent& event) {
    if (screen_ && screen_->take_event(event)) return;
    switch (event.type) {
      case Expose:
        // The whole window again from the current frame, once the server
        // has said everything that needs it.
        if (event.xexpose.window == target_ && event.xexpose.count == 0) session_.redraw();
        break;
      case ConfigureNotify:
        if (event.xconfigure.window == target_ && follows_resizes(options_.placement)) {
          session_.resized(event.xconfigure.width, event.xconfigure.height);
        }
        break;
      case DestroyNotify:
        if (event.xdestroywindow.window == target_) session_.stop();
        break;
      case KeyPress: {
        char text[8];
        KeySym key = NoSymbol;
        XKeyEvent key_event = event.xkey;
        const int length = XLookupString(&key_event, text, sizeof text, &key, nullptr);
        if (key_counts(length > 0 ? static_cast<std::size_t>(length) : 0,
                       key == XK_Delete || key == XK_KP_Delete)) {
          const char* name = XKeysymToString(key);
          session_.key_typed(name != nullptr ? name : "");
        }
        break;
      }
      case MotionNotify:
        session_.pointer_moved(PointerPosition{event.xmotion.x_root, event.xmotion.y_root});
        break;
      default:
        break;  // clicks and everything else: nothing
    }
  }

  Display* display_;
  const SaverTarget& options_;
  SaverKeep keep_;
  SaverSession session_;
  std::unique_ptr<ImageScreen> screen_;
  OwnedCursor blank_cursor_;
  OwnedWindow own_window_;
  Window target_ = 0;
  Visual* visual_ = nullptr;
  int depth_ = 0;
  int width_ = 0;
  int height_ = 0;
  bool keyboard_grabbed_ = false;
  bool pointer_grabbed_ = false;
};

}  // namespace

int run_saver(const SaverTarget& options, Settings& settings) {
  const std::optional<SpriteSheets> sheets = posix::compiled_sheets();
  if (!sheets) return kExitCannotRun;
  const char* display_name = options.display.empty() ? nullptr : options.display.c_str();
  const DisplayHandle display(XOpenDisplay(display_name));
  if (!display) {
    return cannot_run("cannot open the X display \"" + std::string(XDisplayName(display_name)) +
                      "\"");
  }
  install_x_error_handlers();
  fluidsynth::SaverMusic music(options.soundfont);
  SaverWindow window(display.get(), options, settings, music, *sheets);
  return window.run();
}

}  // namespace fizzlet::x11
