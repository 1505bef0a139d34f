#pragma once
// The screen surface of the X11 saver: every transfer onto it is sent to a
// window at once, through an image in shared memory (MIT-SHM) when the server
// offers it, else with plain XPutImage.  Only what the compositor copies
// reaches the server: the update rectangles of each frame and the full
// repaints.  With shared memory the work surface can compose in the image
// itself (drawing_memory()), so that a transfer copies nothing at all.

#include <X11/Xlib.h>
// (after Xlib.h)
#include <X11/extensions/XShm.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "geometry/pixel_rect.h"
#include "saver/surface.h"
#include "saver/x11/xlib.h"

namespace fizzlet::x11 {

// Why a window cannot be drawn in, or nothing when it can: the saver needs a
// TrueColor visual of 24 or 32 bits whose pixels hold red, green and blue in
// one byte each (0x00RRGGBB, the software surfaces' own layout).
std::string unsupported_visual(const Visual* visual, int depth);

class ImageScreen final : public Surface {
  struct Key {
    explicit Key() = default;
  };

 public:
  // A width x height image for drawable (of that visual and depth), in
  // shared memory when the server can attach it; null, with the reason in
  // error, when the visual is not supported.
  static std::unique_ptr<ImageScreen> create(Display* display, Drawable drawable, Visual* visual,
                                             int depth, int width, int height,
                                             std::string& error);
  // For create() only (Key is private).
  ImageScreen(Key, Display* display, Drawable drawable, int width, int height);
  ~ImageScreen() override;
  ImageScreen(const ImageScreen&) = delete;
  ImageScreen& operator=(const ImageScreen&) = delete;

  int width() const override { return width_; }
  int height() const override { return height_; }
  // Copies the rectangle of source (a SoftwareSurface) into the image, unless
  // the source composes in the image already, and sends it to the drawable;
  // a source of one colour is filled by the server instead.  Only SRCCOPY reaches a screen; other operations and other
  // sources are ignored.
  void bit_blt(int dx, int dy, int w, int h, const Surface& source, int sx, int sy,
               RasterOp op) override;
  // Ends a batch of transfers (a frame): with shared memory, the rectangles
  // the batch copied go to the server now, those that touch merged
  // (merge_touching), the last one asking the server to say when it has
  // read the image.  Nothing waits for that here.
  void end_batch();
  // Before the image changes again: returns at once when the server has
  // said that it read the last batch (take_event), else waits until it has
  // (a round trip).  The first transfer of a batch calls it too.
  void prepare_to_draw();
  // The host hands every event here first: true for the server's word that
  // it has read the image, which needs nothing else.
  bool take_event(const XEvent& event);
  // The image's pixels, for a work surface that composes in place: zeroed at
  // first, width() x height() 0x00RRGGBB pixels.  Empty where pixels must be
  // converted on their way to the server (no shared memory, an alpha
  // channel, the other byte order).
  std::span<std::uint32_t> drawing_memory();
  bool shared_memory() const { return shared_; }

 private:
  bool attach_shared(Visual* visual, int depth);
  void send_queued();
  void create_plain(Visual* visual, int depth);

  Display* display_;
  Drawable drawable_;
  int width_;
  int height_;
  OwnedGc gc_;
  XImage* image_ = nullptr;
  XShmSegmentInfo segment_{};
  bool shared_ = false;
  // Rectangles of the image to send at the end of the batch.
  std::vector<PixelRect> queued_;
  bool copied_ = false;  // some of them were copied into the image
  // The server may still read the image: the last batch's reading is not
  // confirmed yet.
  bool reading_ = false;
  int completion_type_ = -1;  // the ShmCompletion event's type
  std::uint32_t alpha_ = 0;   // opaque alpha for 32-bit visuals
  bool swap_bytes_ = false;   // the server wants the other byte order
  std::vector<char> plain_pixels_;
};

}  // namespace fizzlet::x11
