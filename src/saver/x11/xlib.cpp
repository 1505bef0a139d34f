#include "saver/x11/xlib.h"

#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

#include <cstdio>
#include <cstdlib>

namespace fizzlet::x11 {
namespace {

// Xlib's handlers get no user data, so the record lives here.  Only the
// thread that talks to the display ever reaches it.
std::optional<XErrorRecord> last_error;

int record_error(Display*, XErrorEvent* event) {
  last_error = XErrorRecord{event->error_code, event->request_code, event->resourceid};
  return 0;
}

int connection_lost(Display*) {
  std::fputs("fizzlet: lost the connection to the X display\n", stderr);
  std::_Exit(1);
}

}  // namespace

void install_x_error_handlers() {
  XSetErrorHandler(&record_error);
  XSetIOErrorHandler(&connection_lost);
}

std::optional<XErrorRecord> take_x_error() {
  auto error = last_error;
  last_error.reset();
  return error;
}

std::vector<PixelRect> list_monitors(Display* display, Window root) {
  std::vector<PixelRect> rects;
  int event_base = 0, error_base = 0, major = 0, minor = 0;
  if (XRRQueryExtension(display, &event_base, &error_base) &&
      XRRQueryVersion(display, &major, &minor) && (major > 1 || (major == 1 && minor >= 5))) {
    int count = 0;
    const std::unique_ptr<XRRMonitorInfo, decltype(&XRRFreeMonitors)> monitors(
        XRRGetMonitors(display, root, True, &count), &XRRFreeMonitors);
    for (int i = 0; monitors && i < count; ++i) {
      const XRRMonitorInfo& m = monitors.get()[i];
      const PixelRect rect{m.x, m.y, m.width, m.height};
      rects.insert(m.primary ? rects.begin() : rects.end(), rect);
    }
  }
  if (rects.empty() && XineramaIsActive(display)) {
    int count = 0;
    const std::unique_ptr<XineramaScreenInfo, decltype(&XFree)> screens(
        XineramaQueryScreens(display, &count), &XFree);
    for (int i = 0; screens && i < count; ++i) {
      const XineramaScreenInfo& s = screens.get()[i];
      rects.push_back({s.x_org, s.y_org, s.width, s.height});
    }
  }
  return rects;
}

}  // namespace fizzlet::x11
