#pragma once
// The preview host, free of any window system: its states, what
// its three handlers decide, and how its picture fills the preview window.
//
// The display settings start the program with "/P <handle>" and show the
// window of that handle as a small monitor.  The host moves its picture, a
// child window, into that window and then only watches: a close request to
// the picture takes it back into the hidden host at once, and a timer every
// 50 ms ends the program once the picture is back or the preview window has
// gone.  The Windows layer is in win32/preview_window.h.

#include <cstdint>

#include "geometry/pixel_rect.h"

namespace fizzlet {

// The watch timer's interval.
inline constexpr std::uint32_t kPreviewTimerMs = 50;
// The close request that the hook reports (WM_CLOSE).
inline constexpr std::uint32_t kCloseMessage = 16;
// The still picture's natural size (IDB_PREVIEW).
inline constexpr std::int32_t kPreviewPictureWidth = 150;
inline constexpr std::int32_t kPreviewPictureHeight = 112;

struct PixelSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

enum class PreviewState {
  loaded,    // the form exists; on_load has not run
  attached,  // the picture is in the preview window, the timer runs
  detached,  // a close request took the picture back; the next tick ends
  ended,     // a tick found the preview window gone or the picture back
};

// What a tick of the watch timer sees.
struct PreviewWatch {
  bool preview_window_exists = false;  // IsWindow(preview_parent)
  PixelSize preview_client;            // the preview window's client area now
  PixelSize picture;                   // the picture window's size now
};

enum class TickAction {
  none,
  resize_picture,  // to the preview window's client area
  unload,          // unload the form: the program ends
};

class PreviewHost {
 public:
  // Once the picture window exists and its close requests are
  // watched.  Returns true when the picture is to be sized to the preview
  // window's client area and moved into it.  A handle that names no window
  // leaves the picture in the hidden form (a handle of 0 would otherwise
  // make it a window of the desktop); the first tick then ends the host,
  // silently.  Either way the host is attached and the timer starts.
  bool on_load(bool preview_window_exists);

  // A message reported by the hook.  Returns true when the
  // picture must be taken back into the hidden form now: a close request
  // while it is attached.  Every other message is ignored.
  bool on_hooked_message(std::uint32_t message);

  // A tick of the watch timer: ends the host once the preview window is gone or the
  // picture detached.  While attached, the picture follows the preview
  // window's size, which the display settings may change at any time.
  TickAction on_watch_tick(const PreviewWatch& now);

  PreviewState state() const { return state_; }
  // True while the picture is (meant to be) a child of the preview window.
  bool preview_attached() const { return state_ == PreviewState::attached; }

 private:
  PreviewState state_ = PreviewState::loaded;
};

// How the picture window paints a client area of the given size: the picture
// at its natural size from the top-left corner, cut off at the right and
// bottom when the area is smaller, and black to the right of it and below
// it.  The three rectangles never overlap, so every pixel is drawn once and
// nothing flickers; the black ones are empty when there is nothing to fill.
struct PreviewPaint {
  PixelRect picture;       // source and destination: the picture at (0, 0)
  PixelRect right_black;   // beside the picture, as high as the picture part
  PixelRect bottom_black;  // below the picture, the whole width
};
PreviewPaint preview_paint(PixelSize client,
                           PixelSize picture = {kPreviewPictureWidth, kPreviewPictureHeight});

}  // namespace fizzlet
