// fizzlet-test-window WIDTH HEIGHT: shows a plain grey window of that size
// at the top-left of the screen, prints its id (0x hexadecimal) and keeps it
// until the program is ended, which destroys the window.  The X11 tests run
// the saver in it with -window-id, as a settings dialog's preview would.

#include <X11/Xlib.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: fizzlet-test-window WIDTH HEIGHT\n", stderr);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fputs("fizzlet-test-window: no display\n", stderr);
    return 1;
  }
  const int screen = DefaultScreen(display);
  XSetWindowAttributes attributes{};
  attributes.background_pixel = 0x404040;  // grey: the saver must paint it black
  attributes.override_redirect = True;
  const Window window = XCreateWindow(
      display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(std::atoi(argv[1])),
      static_cast<unsigned>(std::atoi(argv[2])), 0, CopyFromParent, InputOutput, CopyFromParent,
      CWBackPixel | CWOverrideRedirect, &attributes);
  XStoreName(display, window, "fizzlet test window");
  XMapRaised(display, window);
  XSync(display, False);
  std::printf("0x%lx\n", static_cast<unsigned long>(window));
  std::fflush(stdout);
  // The window lives as long as the connection: until a signal ends us.
  pause();
  return 0;
}
