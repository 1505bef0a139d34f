#pragma once
// A screen whose areas a window system shows each through two buffers that
// it reads in turn (the Wayland host's surfaces, one per output).  The
// session draws on it as on any screen; it only remembers which rectangles
// of each area changed, so that the host copies into a buffer nothing but
// what that buffer lacks, and tells the window system nothing but what
// changed since the buffer shown before.  When both buffers of an area are
// still being read, its frame is skipped: the changes wait for the next one.

#include <array>
#include <cstddef>
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

// What one buffer of an area needs before it is shown, in the area's
// coordinates.
struct BufferUpdate {
  std::vector<PixelRect> copy;    // to copy from the frame into the buffer
  std::vector<PixelRect> damage;  // what differs from the buffer shown before
};

// A buffer brought up to date: which one, and what to damage.
struct FilledBuffer {
  std::size_t buffer = 0;
  std::vector<PixelRect> damage;
};

class BufferedScreen final : public Surface {
 public:
  static constexpr std::size_t kBuffers = 2;
  // Beyond this many rectangles, an area's changes become the one rectangle
  // that covers them.
  static constexpr std::size_t kMaxRects = 1024;
  // A change inside one of the last few recorded adds nothing.
  static constexpr std::size_t kRecentRects = 4;

  BufferedScreen(int width, int height, std::vector<PixelRect> areas);

  int width() const override { return width_; }
  int height() const override { return height_; }
  // Records the part of the destination rectangle inside each area; the
  // pixels stay where the frame is.
  void bit_blt(int dx, int dy, int w, int h, const Surface& source, int sx, int sy,
               RasterOp op) override;

  const std::vector<PixelRect>& areas() const { return areas_; }
  // Whether the area has changes that no buffer has shown yet.
  bool changed(std::size_t area) const { return !pending_[area].empty(); }
  // The buffer (0 or 1) of the area goes on screen now: what to copy into
  // it and what to damage.  The other buffer then lacks those changes.
  BufferUpdate take_update(std::size_t area, std::size_t buffer);
  // Brings a buffer of the area that the window system is not reading
  // (busy) up to date from the frame; nothing when nothing changed or both
  // are busy (the frame is skipped there, its changes wait).
  std::optional<FilledBuffer> fill_free_buffer(std::size_t area, const SoftwareSurface& frame,
                                               std::span<SoftwareSurface, kBuffers> buffers,
                                               std::span<const bool, kBuffers> busy);

 private:
  static void add(std::vector<PixelRect>& rects, const PixelRect& rect);

  int width_;
  int height_;
  std::vector<PixelRect> areas_;
  std::vector<std::vector<PixelRect>> pending_;  // per area: changes not shown yet
  // Per area and buffer: changes shown since the buffer was last filled.
  std::vector<std::array<std::vector<PixelRect>, kBuffers>> stale_;
};

}  // namespace fizzlet
