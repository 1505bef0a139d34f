#include "saver/x11/image_screen.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <bit>
#include <cstring>

#include "geometry/pixel_rect.h"
#include "saver/software_surface.h"

namespace fizzlet::x11 {
namespace {

const char* class_name(int visual_class) {
  switch (visual_class) {
    case StaticGray: return "StaticGray";
    case GrayScale: return "GrayScale";
    case StaticColor: return "StaticColor";
    case PseudoColor: return "PseudoColor";
    case TrueColor: return "TrueColor";
    case DirectColor: return "DirectColor";
    default: return "unknown";
  }
}

}  // namespace

std::string unsupported_visual(const Visual* visual, int depth) {
  const bool rgb_bytes = visual->red_mask == 0xFF0000 && visual->green_mask == 0x00FF00 &&
                         visual->blue_mask == 0x0000FF;
  if (visual->c_class == TrueColor && (depth == 24 || depth == 32) && rgb_bytes) return {};
  return "the visual is " + std::to_string(depth) + "-bit " + class_name(visual->c_class) +
         "; fizzlet draws only on 24- and 32-bit TrueColor visuals (8 bits each of red, "
         "green and blue)";
}

ImageScreen::ImageScreen(Key, Display* display, Drawable drawable, int width, int height)
    : display_(display),
      drawable_(drawable),
      width_(width),
      height_(height),
      gc_(display, XCreateGC(display, drawable, 0, nullptr)) {}

std::unique_ptr<ImageScreen> ImageScreen::create(Display* display, Drawable drawable,
                                                 Visual* visual, int depth, int width, int height,
                                                 std::string& error) {
  error = unsupported_visual(visual, depth);
  if (!error.empty()) return nullptr;
  auto screen = std::make_unique<ImageScreen>(Key{}, display, drawable, std::max(width, 1),
                                              std::max(height, 1));
  if (!screen->attach_shared(visual, depth)) screen->create_plain(visual, depth);
  if (screen->image_ == nullptr || screen->image_->bits_per_pixel != 32) {
    error = "the display stores " + std::to_string(depth) +
            "-bit pixels in a way fizzlet cannot draw (it needs 32 bits a pixel)";
    return nullptr;
  }
  screen->alpha_ = depth == 32 ? 0xFF000000u : 0;
  const int native = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
  screen->swap_bytes_ = screen->image_->byte_order != native;
  return screen;
}

bool ImageScreen::attach_shared(Visual* visual, int depth) {
  if (!XShmQueryExtension(display_)) return false;
  XImage* image = XShmCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap,
                                  nullptr, &segment_, static_cast<unsigned>(width_),
                                  static_cast<unsigned>(height_));
  if (image == nullptr) return false;
  const auto bytes = static_cast<std::size_t>(image->bytes_per_line) * std::size_t(height_);
  segment_.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (segment_.shmid < 0) {
    XDestroyImage(image);
    return false;
  }
  void* address = shmat(segment_.shmid, nullptr, 0);
  if (address == reinterpret_cast<void*>(-1)) {
    shmctl(segment_.shmid, IPC_RMID, nullptr);
    XDestroyImage(image);
    return false;
  }
  segment_.shmaddr = image->data = static_cast<char*>(address);
  segment_.readOnly = False;
  // A server on another machine (or one that may not read our memory)
  // refuses the attachment with an error.
  XSync(display_, False);
  take_x_error();
  const bool attached = XShmAttach(display_, &segment_) != 0;
  XSync(display_, False);
  const bool refused = take_x_error().has_value();
  // The segment goes away by itself once both sides have detached.
  shmctl(segment_.shmid, IPC_RMID, nullptr);
  if (!attached || refused) {
    XDestroyImage(image);
    shmdt(segment_.shmaddr);
    segment_ = {};
    return false;
  }
  image_ = image;
  shared_ = true;
  completion_type_ = XShmGetEventBase(display_) + ShmCompletion;
  queued_.reserve(256);
  return true;
}

void ImageScreen::create_plain(Visual* visual, int depth) {
  XImage* image = XCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                               nullptr, static_cast<unsigned>(width_),
                               static_cast<unsigned>(height_), 32, 0);
  if (image == nullptr) return;
  plain_pixels_.assign(static_cast<std::size_t>(image->bytes_per_line) * std::size_t(height_), 0);
  image->data = plain_pixels_.data();
  image_ = image;
}

ImageScreen::~ImageScreen() {
  if (image_ == nullptr) return;
  if (shared_) {
    XShmDetach(display_, &segment_);
    XSync(display_, False);
    XDestroyImage(image_);  // frees the structure only, not the segment
    shmdt(segment_.shmaddr);
  } else {
    image_->data = nullptr;  // owned by plain_pixels_
    XDestroyImage(image_);
  }
}

void ImageScreen::end_batch() { send_queued(); }

void ImageScreen::send_queued() {
  if (queued_.empty()) return;
  // Only pixels composed in the image itself may be sent beyond the
  // rectangles that were asked for: a copy brought the image up to date
  // only inside its own rectangle.
  const std::size_t count = copied_ ? queued_.size() : merge_touching(queued_);
  for (std::size_t i = 0; i < count; ++i) {
    const PixelRect& r = queued_[i];
    XShmPutImage(display_, drawable_, gc_.get(), image_, r.left, r.top, r.left, r.top,
                 static_cast<unsigned>(r.width), static_cast<unsigned>(r.height),
                 i + 1 == count ? True : False);
  }
  queued_.clear();
  copied_ = false;
  reading_ = true;
}

void ImageScreen::prepare_to_draw() {
  if (!reading_) return;
  // The word has not come yet (or the host does not pass events on): once
  // the server has answered a request sent after the images, it has read
  // them.
  XSync(display_, False);
  reading_ = false;
}

bool ImageScreen::take_event(const XEvent& event) {
  if (!shared_ || event.type != completion_type_) return false;
  const auto& done = reinterpret_cast<const XShmCompletionEvent&>(event);
  if (done.drawable != drawable_) return false;
  // Requests are done in order: the last image of a batch asked for word.
  reading_ = false;
  return true;
}

std::span<std::uint32_t> ImageScreen::drawing_memory() {
  if (!shared_ || alpha_ != 0 || swap_bytes_ ||
      image_->bytes_per_line != width_ * static_cast<int>(sizeof(std::uint32_t))) {
    return {};
  }
  return {reinterpret_cast<std::uint32_t*>(image_->data), std::size_t(width_) * std::size_t(height_)};
}

void ImageScreen::bit_blt(int dx, int dy, int w, int h, const Surface& source, int sx, int sy,
                          RasterOp op) {
  const auto* from = dynamic_cast<const SoftwareSurface*>(&source);
  if (from == nullptr || op != RasterOp::src_copy) return;
  const Transfer t = clip_transfer({{dx, dy, w, h}, sx, sy}, {0, 0, width_, height_},
                                   {0, 0, from->width(), from->height()});
  if (t.empty()) return;

  const int left = t.target.left;
  const int top = t.target.top;
  const auto count = static_cast<std::size_t>(t.target.width);
  const int rows = t.target.height;
  const auto width = static_cast<unsigned>(count);
  const auto height = static_cast<unsigned>(rows);
  if (from->uniform()) {
    // One colour (the clean background of a repaint): the server fills the
    // rectangle itself, no pixels need to travel (after the images before
    // it, which it would otherwise cover).
    send_queued();
    XSetForeground(display_, gc_.get(), from->pixel(0, 0) | alpha_);
    XFillRectangle(display_, drawable_, gc_.get(), left, top, width, height);
    return;
  }
  const bool in_place = from->pixels().data() == reinterpret_cast<std::uint32_t*>(image_->data) &&
                        from->width() == width_ && sx == dx && sy == dy;
  if (!in_place) prepare_to_draw();
  for (int r = 0; r < rows && !in_place; ++r) {
    const auto line =
        from->row(t.source_top + r).subspan(static_cast<std::size_t>(t.source_left), count);
    auto* target = reinterpret_cast<std::uint32_t*>(
                       image_->data + std::size_t(top + r) * std::size_t(image_->bytes_per_line)) +
                   left;
    if (alpha_ == 0 && !swap_bytes_) {
      std::memcpy(target, line.data(), count * sizeof(std::uint32_t));
    } else {
      for (std::size_t k = 0; k < count; ++k) {
        const std::uint32_t pixel = line[k] | alpha_;
        target[k] = swap_bytes_ ? __builtin_bswap32(pixel) : pixel;
      }
    }
  }
  if (shared_) {
    queued_.push_back(t.target);
    copied_ = copied_ || !in_place;
  } else {
    XPutImage(display_, drawable_, gc_.get(), image_, left, top, left, top, width, height);
  }
}

}  // namespace fizzlet::x11
