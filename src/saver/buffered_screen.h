#pragma once
// A screen whose areas a window system shows each through two buffers that
// it reads in turn (the Wayland host's surfaces, one per output).  The
// buffers lie in two frames of the screen's size: buffer i of an area is
// the area's part of frame i, so that the session composes straight into
// the frame whose buffers no output reads.  A frame composed in gets what
// was written elsewhere since it was last composed in: a place filled with
// one colour (a kernel's old place erased to a plain background) is filled
// again at once, and what was drawn is copied from the frame before once it
// is read, except where the new frame has covered it by then.  Each memory
// knows where it may differ from one colour, and an erase to that colour
// elsewhere is skipped.  So a frame that the window system held while the
// next was shown costs the work of one frame (the fills make its erases)
// and no copy.  A frame that no output reads any more when the next one
// begins (a window system that copies what it is shown) is composed in
// again, with nothing to do.  The window system is told only what changed
// since the buffers shown before.  While an output still reads both of its
// buffers, the frame is composed in the screen's own memory instead and not
// shown: its changes wait for the next one.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "geometry/pixel_rect.h"
#include "saver/software_surface.h"
#include "saver/surface.h"

namespace fizzlet {

// Areas of the given sizes (in pixels) placed left to right, tops aligned,
// starting at x = 0: where each lies on one screen that covers them all.
std::vector<PixelRect> side_by_side(std::span<const PixelRect> sizes);
// The smallest rectangle at (0, 0) that holds every area.
PixelRect covering(std::span<const PixelRect> areas);

class BufferedScreen;

// The work surface of a BufferedScreen, in the memory its begin_frame
// chose.  What that memory lacks is brought in just before a transfer first
// reads it (one that combines with its pixels, or copies from it), and not
// where copies have covered it since: erasing the kernels' old places needs
// nothing of the frame before under them.
class FrameSurface final : public SoftwareSurface {
 public:
  explicit FrameSurface(BufferedScreen& screen) : screen_(&screen) {}
  void bit_blt(int dx, int dy, int w, int h, const Surface& source, int sx, int sy,
               RasterOp op) override;
  bool before_write(const PixelRect& target, Write write) override;

 private:
  BufferedScreen* screen_;
};

class BufferedScreen final : public Surface {
 public:
  static constexpr std::size_t kBuffers = 2;
  // Beyond this many rectangles, a list of changes becomes the one
  // rectangle that covers them.
  static constexpr std::size_t kMaxRects = 1024;
  // A change inside one of the last few recorded adds nothing.
  static constexpr std::size_t kRecentRects = 4;

  // The pixels of memory for the frames: kBuffers frames of width x height
  // (top-down rows) one after the other, and a row more, since a window
  // system reads whole rows of the frame's width after a buffer's start.
  static std::size_t memory_pixels(int width, int height);
  // frames: zeroed memory of memory_pixels() that the window system reads,
  // kept alive by the caller.
  BufferedScreen(int width, int height, std::vector<PixelRect> areas,
                 std::span<std::uint32_t> frames);
  BufferedScreen(const BufferedScreen&) = delete;
  BufferedScreen& operator=(const BufferedScreen&) = delete;

  int width() const override { return width_; }
  int height() const override { return height_; }
  // Records the part of the destination rectangle inside each area as
  // changed, to be damaged when the frame is shown.  (A transfer from any
  // source but the work surface, such as the clean background of a repaint,
  // changes no memory: the buffers show the frame as composed.)
  void bit_blt(int dx, int dy, int w, int h, const Surface& source, int sx, int sy,
               RasterOp op) override;

  const std::vector<PixelRect>& areas() const { return areas_; }
  // Where the area's buffer in the frame starts in the frames' memory, in
  // pixels (its rows are width() pixels apart).
  std::size_t buffer_start(std::size_t area, std::size_t frame) const {
    return frame * std::size_t(width_) * std::size_t(height_) + std::size_t(areas_[area].left);
  }
  // The session's work surface (once per screen), black: begin_frame moves
  // it from memory to memory; it lives no longer than the screen.
  std::unique_ptr<SoftwareSurface> work_surface();
  // Which buffers of the area the window system reads: set when the
  // buffer is shown, cleared by the window system's word that it is done.
  std::array<bool, kBuffers>& reading(std::size_t area) { return reading_[area]; }
  // Before a frame is composed: the work surface moves to a frame whose
  // buffers no output reads, the one composed in last when it is free,
  // to be brought up to date from it; to the screen's own memory when an
  // output reads both of its buffers.
  void begin_frame();
  // After drawing: the frame to show on every output now (each output's
  // buffer in it, read from then on), once per begin_frame that chose it;
  // nothing when the frame was composed in the screen's own memory or
  // nothing changed.
  std::optional<std::size_t> frame_to_show();
  // What changed in the area (in its coordinates) since the buffers shown
  // before; the record starts afresh.
  std::vector<PixelRect> take_damage(std::size_t area);

 private:
  friend class FrameSurface;
  // A rectangle to fill again with one colour in a memory.
  struct Fill {
    PixelRect rect;
    std::uint32_t colour;
  };
  // A transfer of the work surface, before it writes: false when the
  // memory holds that already.
  bool written(const PixelRect& rect, SoftwareSurface::Write write);
  void make_dirty(std::size_t memory, const PixelRect& rect);
  void refill(std::size_t memory);
  void covered(const PixelRect& rect);
  void bring_up_to_date();

  static constexpr std::size_t kOwn = kBuffers;  // memories_: the frames, then the own
  static void add(std::vector<PixelRect>& rects, const PixelRect& rect);
  void add_fill(std::size_t memory, const Fill& fill);

  int width_;
  int height_;
  std::vector<PixelRect> areas_;
  std::vector<std::uint32_t, ZeroedAllocator<std::uint32_t>> own_;
  std::array<std::span<std::uint32_t>, kBuffers + 1> memories_;
  // Per memory, what was written elsewhere (screen coordinates) since it
  // was composed in: places filled with one colour, in order, and the rest,
  // to copy from the memory composed in last.
  std::array<std::vector<Fill>, kBuffers + 1> fills_;
  std::array<std::vector<PixelRect>, kBuffers + 1> lacks_;
  // Per memory, when known: the one colour it has outside the rectangles
  // written otherwise since (dirty_).  An erase to that colour outside them
  // is done already: in a frame two frames old, once the fills from the
  // frame between are made, that is every erase.
  std::array<std::optional<std::uint32_t>, kBuffers + 1> clean_{0u, 0u, 0u};
  std::array<std::vector<PixelRect>, kBuffers + 1> dirty_;
  std::size_t current_ = kOwn;  // the memory the work surface composes in
  bool unshown_ = false;        // current_ is a frame, composed in and not shown yet
  // Until the work surface is read: the memory that current_ copies its
  // lacks from, and what copies have covered since begin_frame.
  std::optional<std::size_t> behind_;
  std::vector<PixelRect> covered_;
  std::vector<PixelRect> scratch_;  // room for a list of rectangles, kept from frame to frame
  std::vector<std::vector<PixelRect>> damage_;  // per area: changes not shown yet
  std::vector<std::array<bool, kBuffers>> reading_;
  FrameSurface* work_ = nullptr;
};

}  // namespace fizzlet
