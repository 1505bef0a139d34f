// fizzlet-test-window WIDTH HEIGHT [32]: shows a plain grey window of that
// size at the top-left of the screen, prints its id (0x hexadecimal) and
// keeps it until the program is ended, which destroys the window.  With 32
// the window has a 32-bit (ARGB) visual and a half-transparent grey.  The X11
// tests run the saver in it with -window-id, as a settings dialog's preview
// would.
//
// fizzlet-test-window pixel ID X Y: prints the pixel of window ID at X, Y as
// XGetImage gives it (0x hexadecimal, eight digits: on a 32-bit window the
// first two are the alpha byte).

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int print_pixel(Display* display, char** argv) {
  const Window window = std::strtoul(argv[2], nullptr, 0);
  XImage* image = XGetImage(display, window, std::atoi(argv[3]), std::atoi(argv[4]), 1, 1,
                            AllPlanes, ZPixmap);
  if (image == nullptr) {
    std::fputs("fizzlet-test-window: no pixel there\n", stderr);
    XCloseDisplay(display);
    return 1;
  }
  std::printf("0x%08lx\n", XGetPixel(image, 0, 0));
  XDestroyImage(image);
  XCloseDisplay(display);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool pixel = argc == 5 && std::strcmp(argv[1], "pixel") == 0;
  const bool argb = argc == 4 && std::strcmp(argv[3], "32") == 0;
  if (!pixel && argc != 3 && !argb) {
    std::fputs("usage: fizzlet-test-window WIDTH HEIGHT [32] | pixel ID X Y\n", stderr);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fputs("fizzlet-test-window: no display\n", stderr);
    return 1;
  }
  if (pixel) return print_pixel(display, argv);
  const int screen = DefaultScreen(display);
  const Window root = RootWindow(display, screen);
  XVisualInfo visual{};
  visual.visual = DefaultVisual(display, screen);
  visual.depth = DefaultDepth(display, screen);
  XSetWindowAttributes attributes{};
  unsigned long mask = CWBackPixel | CWOverrideRedirect;
  attributes.background_pixel = 0x404040;  // grey: the saver must paint it black
  if (argb) {
    if (XMatchVisualInfo(display, screen, 32, TrueColor, &visual) == 0) {
      std::fputs("fizzlet-test-window: no 32-bit TrueColor visual\n", stderr);
      return 1;
    }
    attributes.colormap = XCreateColormap(display, root, visual.visual, AllocNone);
    attributes.background_pixel = 0x80404040;
    attributes.border_pixel = 0;
    mask |= CWColormap | CWBorderPixel;
  }
  attributes.override_redirect = True;
  const Window window =
      XCreateWindow(display, root, 0, 0, static_cast<unsigned>(std::atoi(argv[1])),
                    static_cast<unsigned>(std::atoi(argv[2])), 0, visual.depth, InputOutput,
                    visual.visual, mask, &attributes);
  XStoreName(display, window, "fizzlet test window");
  XMapRaised(display, window);
  XSync(display, False);
  std::printf("0x%lx\n", static_cast<unsigned long>(window));
  std::fflush(stdout);
  // The window lives as long as the connection: until a signal ends us.
  pause();
  return 0;
}
