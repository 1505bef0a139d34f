#include "saver/x11/xlib.h"

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

}  // namespace fizzlet::x11
