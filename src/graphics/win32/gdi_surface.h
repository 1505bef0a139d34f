#pragma once
// GDI pieces that the saver window, the preview and the dialogs share:
// owners for device contexts, bitmaps, palettes and object selections (they
// count the objects they hold, a figure for the soak script), the program's
// bitmap resources, DibSurface, a SoftwareSurface whose pixels live in a DIB
// section, and GdiSurface, the Surface over a window's device context.
//
// The saver's frames are composed in the program's own memory: the work and clean
// background surfaces are DIB sections that the portable SoftwareSurface
// reads and writes directly, and the sprite sheet and its mask are plain
// software surfaces.  GDI only copies finished rectangles to the window.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

#include "saver/dib.h"
#include "saver/software_surface.h"
#include "saver/surface.h"

namespace fizzlet::win32 {

// GDI objects and device contexts that the owners below hold now: created
// (or taken with GetDC) and not yet deleted (or released).  Wine's
// GetGuiResources answers 0, so the program keeps its own count.
long live_gdi_objects();

// Deleters; those made by own_dc, own_bitmap and own_palette below also
// keep the count of live_gdi_objects.
struct DeleteDc {
  bool counted = false;
  void operator()(HDC dc) const;
};
struct DeleteGdiObject {
  bool counted = false;
  void operator()(HGDIOBJ object) const;
};

// A memory device context (CreateCompatibleDC).
using UniqueDc = std::unique_ptr<std::remove_pointer_t<HDC>, DeleteDc>;
// A bitmap, palette or other GDI object that is ours to delete.
using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, DeleteGdiObject>;
using UniquePalette = std::unique_ptr<std::remove_pointer_t<HPALETTE>, DeleteGdiObject>;

// Takes ownership of a freshly created object (null stays null), counted.
UniqueDc own_dc(HDC dc);
UniqueBitmap own_bitmap(HBITMAP bitmap);
UniquePalette own_palette(HPALETTE palette);

// GetDC / ReleaseDC of a window.
class WindowDc {
 public:
  explicit WindowDc(HWND window);
  ~WindowDc();
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
      : dc_(std::exchange(other.dc_, nullptr)),
        previous_(std::exchange(other.previous_, nullptr)) {}
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

// Selects a palette into a device context and realises it, and puts the
// previous palette back when it goes.
class PaletteSelection {
 public:
  PaletteSelection() = default;
  PaletteSelection(HDC dc, HPALETTE palette)
      : dc_(dc), previous_(SelectPalette(dc, palette, FALSE)) {
    RealizePalette(dc);
  }
  ~PaletteSelection() {
    if (dc_ != nullptr && previous_ != nullptr) SelectPalette(dc_, previous_, FALSE);
  }
  PaletteSelection(const PaletteSelection&) = delete;
  PaletteSelection& operator=(const PaletteSelection&) = delete;

 private:
  HDC dc_ = nullptr;
  HPALETTE previous_ = nullptr;
};

// A software surface whose pixels are a 32-bit top-down DIB section, selected
// into a memory device context of its own, so that GDI can copy from it to
// the window.  An empty one (failed creation) has size 0 x 0.
class DibSurface final : public SoftwareSurface {
 public:
  DibSurface() = default;
  DibSurface(DibSurface&& other) noexcept;
  DibSurface& operator=(DibSurface&& other) noexcept;
  DibSurface(const DibSurface&) = delete;
  DibSurface& operator=(const DibSurface&) = delete;
  ~DibSurface() override;

  // A black width x height surface.
  static DibSurface create(int width, int height);
  // A surface holding the picture's colours (a 1-bit picture in black and
  // white, as SoftwareSurface::from_image makes it).
  static DibSurface from_picture(const DibImage& picture);

  HDC dc() const { return dc_.get(); }
  explicit operator bool() const { return bitmap_ != nullptr; }

 private:
  // Destroyed in reverse order: the selection is undone before the bitmap
  // and the DC are deleted.
  UniqueDc dc_;
  UniqueBitmap bitmap_;
  Selection selection_;
};

// The compositor's Surface over a device context that someone else owns
// (the window's own DC).  Transfers come from a DibSurface or another
// GdiSurface with BitBlt and the same raster operation; any other source
// copies nothing.
class GdiSurface : public Surface {
 public:
  GdiSurface() = default;
  GdiSurface(HDC dc, int width, int height) : dc_(dc), width_(width), height_(height) {}

  int width() const override { return width_; }
  int height() const override { return height_; }
  void bit_blt(int dx, int dy, int w, int h, const Surface& source, int sx, int sy,
               RasterOp op) override;

  HDC dc() const { return dc_; }

 private:
  HDC dc_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

// A bitmap resource of this program (a packed DIB), decoded by the portable
// reader; nothing when it is missing or broken.
std::optional<DibImage> load_picture(HINSTANCE instance, int resource_id);

// A logical palette of the picture's colour table, for a display that shows
// at most 256 colours at a time; null for a picture without one.
UniquePalette picture_palette(const DibImage& picture);

}  // namespace fizzlet::win32
