#pragma once
// GDI pieces of the saver window: owners for device contexts, bitmaps and
// object selections, and GdiSurface, the compositor's Surface over a device
// context (transfers are BitBlt with the same raster operation).

#include <windows.h>

#include <memory>
#include <type_traits>
#include <utility>

#include "saver/surface.h"

namespace fizzlet::win32 {

struct DeleteDc {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
struct DeleteGdiObject {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};

// A memory device context (CreateCompatibleDC).
using UniqueDc = std::unique_ptr<std::remove_pointer_t<HDC>, DeleteDc>;
// A bitmap, brush or other GDI object that is ours to delete.
using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, DeleteGdiObject>;

// GetDC / ReleaseDC of a window.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a device context and puts the previous one back
// when it goes, so that the object can then be deleted safely.
class Selection {
 public:
  Selection() = default;
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~Selection() { restore(); }
  Selection(Selection&& other) noexcept
      : dc_(std::exchange(other.dc_, nullptr)), previous_(std::exchange(other.previous_, nullptr)) {}
  Selection& operator=(Selection&& other) noexcept {
    if (this != &other) {
      restore();
      dc_ = std::exchange(other.dc_, nullptr);
      previous_ = std::exchange(other.previous_, nullptr);
    }
    return *this;
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  void restore() {
    if (dc_ != nullptr && previous_ != nullptr) SelectObject(dc_, previous_);
    dc_ = nullptr;
    previous_ = nullptr;
  }
  HDC dc_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

// The compositor's Surface over a device context that someone else owns
// (the window's own DC).  A source that is not a GdiSurface copies nothing.
class GdiSurface : public Surface {
 public:
  GdiSurface() = default;
  GdiSurface(HDC dc, int width, int height) : dc_(dc), width_(width), height_(height) {}

  int width() const override { return width_; }
  int height() const override { return height_; }
  void bit_blt(int dx, int dy, int w, int h, const Surface& source, int sx, int sy,
               RasterOp op) override;

  HDC dc() const { return dc_; }
  void fill_black();

 protected:
  void reset(HDC dc, int width, int height) {
    dc_ = dc;
    width_ = width;
    height_ = height;
  }

 private:
  HDC dc_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

// A surface that owns its memory DC and the bitmap selected into it: the
// window-sized work and copy surfaces, and the sprite sheet and mask.  An
// empty one (failed creation) has size 0 x 0 and copies nothing.
class MemorySurface final : public GdiSurface {
 public:
  MemorySurface() = default;
  MemorySurface(MemorySurface&& other) noexcept;
  MemorySurface& operator=(MemorySurface&& other) noexcept;
  ~MemorySurface() override = default;

  // A black width x height bitmap compatible with reference (the screen).
  static MemorySurface compatible(HDC reference, int width, int height);
  // A copy of picture in the format of reference (a 1-bit picture's colours
  // come from its colour table: a mask's black and white stay so).
  static MemorySurface from_bitmap(HBITMAP picture, HDC reference);
  // A bitmap resource of this program, converted the same way.
  static MemorySurface from_resource(HINSTANCE instance, int resource_id, HDC reference);

  explicit operator bool() const { return bitmap_ != nullptr; }

 private:
  MemorySurface(UniqueDc dc, UniqueBitmap bitmap, int width, int height);

  // Destroyed in reverse order: the selection is undone before the bitmap
  // and the DC are deleted.
  UniqueDc dc_owner_;
  UniqueBitmap bitmap_;
  Selection selection_;
};

}  // namespace fizzlet::win32
