#include "saver/win32/gdi_surface.h"

namespace fizzlet::win32 {

void GdiSurface::bit_blt(int dx, int dy, int w, int h, const Surface& source, int sx, int sy,
                         RasterOp op) {
  const auto* gdi_source = dynamic_cast<const GdiSurface*>(&source);
  if (dc_ == nullptr || gdi_source == nullptr || gdi_source->dc_ == nullptr) return;
  if (w <= 0 || h <= 0) return;
  // GDI clips against both bitmaps itself; the result is not examined, a
  // failed transfer leaves the destination as it was.
  BitBlt(dc_, dx, dy, w, h, gdi_source->dc_, sx, sy, static_cast<DWORD>(op));
}

void GdiSurface::fill_black() {
  if (dc_ != nullptr) PatBlt(dc_, 0, 0, width_, height_, BLACKNESS);
}

MemorySurface::MemorySurface(UniqueDc dc, UniqueBitmap bitmap, int width, int height)
    : GdiSurface(dc.get(), width, height), dc_owner_(std::move(dc)), bitmap_(std::move(bitmap)) {
  selection_ = Selection(dc_owner_.get(), bitmap_.get());
}

MemorySurface::MemorySurface(MemorySurface&& other) noexcept
    : GdiSurface(other),
      dc_owner_(std::move(other.dc_owner_)),
      bitmap_(std::move(other.bitmap_)),
      selection_(std::move(other.selection_)) {
  other.reset(nullptr, 0, 0);
}

MemorySurface& MemorySurface::operator=(MemorySurface&& other) noexcept {
  if (this != &other) {
    // Undo our selection before our bitmap and DC go.
    selection_ = Selection();
    bitmap_.reset();
    dc_owner_.reset();
    reset(other.dc(), other.width(), other.height());
    dc_owner_ = std::move(other.dc_owner_);
    bitmap_ = std::move(other.bitmap_);
    selection_ = std::move(other.selection_);
    other.reset(nullptr, 0, 0);
  }
  return *this;
}

MemorySurface MemorySurface::compatible(HDC reference, int width, int height) {
  if (width <= 0 || height <= 0) return {};
  UniqueDc dc(CreateCompatibleDC(reference));
  UniqueBitmap bitmap(CreateCompatibleBitmap(reference, width, height));
  if (!dc || !bitmap) return {};
  MemorySurface surface(std::move(dc), std::move(bitmap), width, height);
  surface.fill_black();
  return surface;
}

MemorySurface MemorySurface::from_bitmap(HBITMAP picture, HDC reference) {
  BITMAP info{};
  if (picture == nullptr || GetObjectA(picture, sizeof(info), &info) == 0) return {};
  const int width = static_cast<int>(info.bmWidth);
  // A top-down picture reports a negative height.
  const int height = info.bmHeight < 0 ? -static_cast<int>(info.bmHeight)
                                       : static_cast<int>(info.bmHeight);

  // Converted once into the screen's format: every later transfer from it is
  // then a plain copy instead of a palette or 1-bit conversion per frame.
  MemorySurface surface = compatible(reference, width, height);
  UniqueDc picture_dc(CreateCompatibleDC(reference));
  if (!surface || !picture_dc) return {};
  const Selection selected(picture_dc.get(), picture);
  BitBlt(surface.dc(), 0, 0, width, height, picture_dc.get(), 0, 0, SRCCOPY);
  return surface;
}

MemorySurface MemorySurface::from_resource(HINSTANCE instance, int resource_id, HDC reference) {
  // Loaded as a DIB section, so that the picture's own colours (and a mask's
  // black and white, from its colour table) are what GDI converts from.
  const UniqueBitmap picture(static_cast<HBITMAP>(LoadImageA(
      instance, MAKEINTRESOURCEA(resource_id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  return from_bitmap(picture.get(), reference);
}

}  // namespace fizzlet::win32
