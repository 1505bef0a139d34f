#pragma once
// Small owners of Xlib resources, and the record of the X protocol errors
// the saver has to notice (a window that has gone, shared memory that the
// server cannot attach).

#include <X11/Xlib.h>

#include <memory>
#include <optional>
#include <vector>

#include "saver/screen_areas.h"

namespace fizzlet::x11 {

struct DisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayHandle = std::unique_ptr<Display, DisplayCloser>;

// A resource of one display, freed with the given Xlib call (XFreeCursor,
// XFreeGC, XDestroyWindow, XFreePixmap...).
template <typename Id, auto Free>
class XResource {
 public:
  XResource() = default;
  XResource(Display* display, Id id) : display_(display), id_(id) {}
  XResource(XResource&& other) noexcept : display_(other.display_), id_(other.release()) {}
  XResource& operator=(XResource&& other) noexcept {
    if (this != &other) {
      reset();
      display_ = other.display_;
      id_ = other.release();
    }
    return *this;
  }
  XResource(const XResource&) = delete;
  XResource& operator=(const XResource&) = delete;
  ~XResource() { reset(); }

  Id get() const { return id_; }
  explicit operator bool() const { return id_ != Id{}; }
  Id release() {
    const Id id = id_;
    id_ = Id{};
    return id;
  }
  void reset() {
    if (display_ != nullptr && id_ != Id{}) Free(display_, id_);
    id_ = Id{};
  }

 private:
  Display* display_ = nullptr;
  Id id_{};
};

using OwnedWindow = XResource<Window, &XDestroyWindow>;
using OwnedCursor = XResource<Cursor, &XFreeCursor>;
using OwnedPixmap = XResource<Pixmap, &XFreePixmap>;
using OwnedGc = XResource<GC, &XFreeGC>;

// The error that the X server reported most recently.
struct XErrorRecord {
  unsigned char error_code = 0;
  unsigned char request_code = 0;
  XID resource = 0;
};

// Xlib hands protocol errors to one handler for the whole process; the
// default one ends the process.  install_x_error_handlers() replaces it by
// one that records the error (and the handler of a lost connection by one
// that ends the process with a short message and status 1).
void install_x_error_handlers();
// The error recorded since the last call, if any; clears it.
std::optional<XErrorRecord> take_x_error();

// Every monitor's rectangle in root window coordinates, the primary one
// first: the RandR monitors, or the Xinerama screens where the server has no
// RandR 1.5; none where it has neither.
std::vector<PixelRect> list_monitors(Display* display, Window root);

}  // namespace fizzlet::x11
