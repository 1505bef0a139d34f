#pragma once
// A surface in memory with 32-bit pixels (0x00RRGGBB) and the exact raster
// operations of Surface: the portable stand-in for a GDI memory bitmap, used
// by the tests, the headless renderer and ports without GDI.  It keeps its
// pixels in memory of its own, or works on pixels that a platform layer owns
// (an X image in shared memory), so that a host can compose right where its
// window system reads.

#include <cstdint>
#include <cstdlib>
#include <new>
#include <optional>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

#include "geometry/pixel_rect.h"
#include "saver/dib.h"
#include "saver/surface.h"

namespace fizzlet {

// Pixel memory that the system hands out already zero (calloc): a large
// black surface costs no memory traffic until it is drawn on, and a part
// that is never drawn on (most of a clean background) is never touched.
template <typename T>
struct ZeroedAllocator {
  static_assert(std::is_trivial_v<T>, "value-initialising T must mean all bits zero");
  using value_type = T;
  ZeroedAllocator() = default;
  template <typename U>
  ZeroedAllocator(const ZeroedAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) {
    void* memory = std::calloc(n, sizeof(T));
    if (memory == nullptr) throw std::bad_alloc();
    return static_cast<T*>(memory);
  }
  void deallocate(T* p, std::size_t) noexcept { std::free(p); }
  // Value-initialisation leaves the memory as calloc gave it.
  template <typename U>
  void construct(U*) noexcept {}
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
  friend bool operator==(const ZeroedAllocator&, const ZeroedAllocator&) = default;
};

class SoftwareSurface : public Surface {
 public:
  SoftwareSurface() = default;
  // A width x height surface filled with colour (negative sizes give an empty one).
  SoftwareSurface(int width, int height, std::uint32_t colour = 0);
  // A width x height surface over pixels that the caller owns and keeps
  // alive (top-down rows of 32-bit pixels, one right after the other), with
  // whatever they hold; filled_with tells that every pixel already has that
  // colour (fresh memory from the system is all zero), so that nothing needs
  // writing, nor reading while it stays so.  Sizes that do not fit the
  // memory give an empty surface.  A copy of it owns its pixels.
  static SoftwareSurface over(std::span<std::uint32_t> pixels, int width, int height,
                              std::optional<std::uint32_t> filled_with = std::nullopt);
  SoftwareSurface(const SoftwareSurface& other);
  SoftwareSurface& operator=(const SoftwareSurface& other);
  SoftwareSurface(SoftwareSurface&& other) noexcept;
  SoftwareSurface& operator=(SoftwareSurface&& other) noexcept;
  ~SoftwareSurface() override = default;
  // The decoded picture.  A 1-bit picture becomes 0x000000 for bit 0 and
  // 0xFFFFFF for bit 1, as a monochrome bitmap does on a colour display, so
  // that AND and OR with it behave like GDI's.
  static SoftwareSurface from_image(const DibImage& image);

  int width() const override { return width_; }
  int height() const override { return height_; }
  // Pixels outside either surface are not touched; a source that is not a
  // SoftwareSurface, or a negative width or height, copies nothing.
  void bit_blt(int dx, int dy, int w, int h, const Surface& source, int sx, int sy,
               RasterOp op) override;

  std::uint32_t pixel(int x, int y) const;  // 0 outside the surface
  void set_pixel(int x, int y, std::uint32_t colour);
  void fill(std::uint32_t colour);
  // Every pixel, top-down rows one after the other.
  std::span<const std::uint32_t> pixels() const { return {data_, size_}; }
  std::span<const std::uint32_t> row(int y) const;
  // Every pixel, to write into directly (for a caller that carries out
  // transfers itself); from then on the surface no longer counts as one
  // colour.
  std::span<std::uint32_t> pixels_to_draw() {
    uniform_ = false;
    return {data_, size_};
  }
  // How a transfer writes its target: combining with what is there (or
  // copying within the surface), replacing it with a copy of another
  // surface, or replacing it with one colour (a copy from a surface that is
  // all that colour).
  struct Write {
    enum class Kind : std::uint8_t { reads, replaces, fills };
    Kind kind = Kind::reads;
    std::uint32_t colour = 0;  // what fills writes
    // A copy from another surface in memory.
    static Write copy_from(const SoftwareSurface& source) {
      return source.uniform() ? Write{Kind::fills, source.uniform_colour()} : Write{Kind::replaces};
    }
  };
  // Such a caller says so before each transfer it writes there, as bit_blt
  // would see it: the target rectangle (clipped) and how the transfer writes
  // it.  A surface whose memory is brought up to date on demand
  // (FrameSurface) does that here; this one needs nothing.  False when the
  // target holds already what the transfer would write: it is skipped.
  virtual bool before_write(const PixelRect& target, Write write) {
    static_cast<void>(target);
    static_cast<void>(write);
    return true;
  }
  // False for a surface over someone else's pixels (over()).
  bool owns_pixels() const { return data_ == own_.data() && size_ == own_.size(); }
  // True while every pixel has the same colour (after construction or fill,
  // until something is drawn): transfers from such a surface need not read it.
  bool uniform() const { return uniform_; }
  std::uint32_t uniform_colour() const { return uniform_colour_; }  // while uniform()

 private:
  std::size_t index(int x, int y) const {
    return std::size_t(y) * std::size_t(width_) + std::size_t(x);
  }
  void take(SoftwareSurface& other) noexcept;

  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t, ZeroedAllocator<std::uint32_t>> own_;  // unless someone else owns them
  std::uint32_t* data_ = nullptr;  // top-down rows: own_.data() or the owner's memory
  std::size_t size_ = 0;
  bool uniform_ = true;
  std::uint32_t uniform_colour_ = 0;
};

}  // namespace fizzlet
