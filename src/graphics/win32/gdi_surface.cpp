#include "graphics/win32/gdi_surface.h"

#include <atomic>
#include <span>
#include <vector>

namespace fizzlet::win32 {

namespace {

std::atomic<long> g_live_gdi_objects{0};

void count_created(const void* handle) {
  if (handle != nullptr) ++g_live_gdi_objects;
}

}  // namespace

long live_gdi_objects() { return g_live_gdi_objects.load(); }

void DeleteDc::operator()(HDC dc) const {
  if (DeleteDC(dc) && counted) --g_live_gdi_objects;
}

void DeleteGdiObject::operator()(HGDIOBJ object) const {
  if (DeleteObject(object) && counted) --g_live_gdi_objects;
}

UniqueDc own_dc(HDC dc) {
  count_created(dc);
  return UniqueDc(dc, DeleteDc{true});
}

UniqueBitmap own_bitmap(HBITMAP bitmap) {
  count_created(bitmap);
  return UniqueBitmap(bitmap, DeleteGdiObject{true});
}

UniquePalette own_palette(HPALETTE palette) {
  count_created(palette);
  return UniquePalette(palette, DeleteGdiObject{true});
}

WindowDc::WindowDc(HWND window) : window_(window), dc_(GetDC(window)) { count_created(dc_); }

WindowDc::~WindowDc() {
  if (dc_ == nullptr) return;
  // A window's own DC (CS_OWNDC) may already have gone with its window, and
  // releasing it then fails harmlessly: either way this owner holds it no more.
  ReleaseDC(window_, dc_);
  --g_live_gdi_objects;
}

DibSurface::DibSurface(DibSurface&& other) noexcept
    : SoftwareSurface(std::move(other)),
      dc_(std::move(other.dc_)),
      bitmap_(std::move(other.bitmap_)),
      selection_(std::move(other.selection_)) {}

DibSurface& DibSurface::operator=(DibSurface&& other) noexcept {
  if (this != &other) {
    // Undo our selection before our bitmap and DC go.
    selection_ = Selection();
    bitmap_.reset();
    dc_.reset();
    SoftwareSurface::operator=(std::move(other));
    dc_ = std::move(other.dc_);
    bitmap_ = std::move(other.bitmap_);
    selection_ = std::move(other.selection_);
  }
  return *this;
}

DibSurface::~DibSurface() = default;

DibSurface DibSurface::create(int width, int height) {
  if (width <= 0 || height <= 0) return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows, as SoftwareSurface keeps them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueBitmap bitmap =
      own_bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  UniqueDc dc = own_dc(CreateCompatibleDC(nullptr));
  if (!bitmap || !dc || bits == nullptr) return {};
  DibSurface surface;
  // 32-bit rows need no padding: width pixels from one row to the next.  A
  // new DIB section is all zero (black): not writing it spares touching
  // every page of a screen-sized surface at start-up.
  const std::span<std::uint32_t> pixels(static_cast<std::uint32_t*>(bits),
                                        std::size_t(width) * std::size_t(height));
  static_cast<SoftwareSurface&>(surface) = SoftwareSurface::over(pixels, width, height, 0u);
  surface.dc_ = std::move(dc);
  surface.bitmap_ = std::move(bitmap);
  surface.selection_ = Selection(surface.dc_.get(), surface.bitmap_.get());
  return surface;
}

DibSurface DibSurface::from_picture(const DibImage& picture) {
  DibSurface surface = create(picture.width, picture.height);
  surface.bit_blt(0, 0, picture.width, picture.height, SoftwareSurface::from_image(picture), 0, 0,
                  RasterOp::src_copy);
  return surface;
}

void GdiSurface::bit_blt(int dx, int dy, int w, int h, const Surface& source, int sx, int sy,
                         RasterOp op) {
  HDC source_dc = nullptr;
  if (const auto* dib = dynamic_cast<const DibSurface*>(&source)) {
    // A black surface that nothing has been drawn into yet (the clean
    // background, or the work surface before the first frame): paint black
    // instead of reading its memory.
    if (dib->uniform() && dib->uniform_colour() == 0 && op == RasterOp::src_copy) {
      if (dc_ != nullptr && w > 0 && h > 0) PatBlt(dc_, dx, dy, w, h, BLACKNESS);
      return;
    }
    source_dc = dib->dc();
  } else if (const auto* gdi = dynamic_cast<const GdiSurface*>(&source)) {
    source_dc = gdi->dc_;
  }
  if (dc_ == nullptr || source_dc == nullptr || w <= 0 || h <= 0) return;
  // GDI clips against both surfaces itself; the result is not examined, a
  // failed transfer leaves the destination as it was.
  BitBlt(dc_, dx, dy, w, h, source_dc, sx, sy, static_cast<DWORD>(op));
}

std::optional<DibImage> load_picture(HINSTANCE instance, int resource_id) {
  // A bitmap resource is a BMP file without its file header.
  const HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(resource_id), MAKEINTRESOURCEA(2));
  if (found == nullptr) return std::nullopt;
  const HGLOBAL loaded = LoadResource(instance, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return std::nullopt;
  DibResult decoded = decode_packed_dib(std::span<const std::uint8_t>(
      static_cast<const std::uint8_t*>(bytes), SizeofResource(instance, found)));
  if (!decoded) return std::nullopt;
  return std::move(*decoded.image);
}

UniquePalette picture_palette(const DibImage& picture) {
  if (picture.palette.empty() || picture.palette.size() > 256) return {};
  std::vector<std::uint8_t> storage(sizeof(LOGPALETTE) +
                                    picture.palette.size() * sizeof(PALETTEENTRY));
  auto* palette = reinterpret_cast<LOGPALETTE*>(storage.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = static_cast<WORD>(picture.palette.size());
  for (std::size_t i = 0; i < picture.palette.size(); ++i) {
    const std::uint32_t colour = picture.palette[i];
    palette->palPalEntry[i] =
        PALETTEENTRY{static_cast<BYTE>(colour >> 16), static_cast<BYTE>(colour >> 8),
                     static_cast<BYTE>(colour), 0};
  }
  return own_palette(CreatePalette(palette));
}

}  // namespace fizzlet::win32
