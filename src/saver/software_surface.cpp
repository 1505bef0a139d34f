#include "saver/software_surface.h"

#include <algorithm>
#include <cstring>

namespace fizzlet {

namespace {

std::size_t area(int width, int height) {
  if (width <= 0 || height <= 0) return 0;
  return std::size_t(width) * std::size_t(height);
}

// AND or OR of one row into another that it does not overlap.
void combine(std::uint32_t* __restrict d, const std::uint32_t* __restrict s, std::size_t count,
             RasterOp op) {
  if (op == RasterOp::src_and) {
    for (std::size_t k = 0; k < count; ++k) d[k] &= s[k];
  } else if (op == RasterOp::src_paint) {
    for (std::size_t k = 0; k < count; ++k) d[k] |= s[k];
  }
}

// The same within one surface, where the rows may overlap: read the source
// row whole before writing.
void combine_overlapping(std::uint32_t* d, const std::uint32_t* s, std::size_t count,
                         RasterOp op) {
  std::vector<std::uint32_t> source(s, s + count);
  combine(d, source.data(), count, op);
}

}  // namespace

SoftwareSurface::SoftwareSurface(int width, int height, std::uint32_t colour)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(area(width, height), colour),
      uniform_colour_(colour) {
  if (pixels_.empty()) width_ = height_ = 0;
}

SoftwareSurface SoftwareSurface::from_image(const DibImage& image) {
  SoftwareSurface surface(image.width, image.height);
  if (surface.pixels_.size() != image.pixels.size()) return surface;
  surface.uniform_ = false;
  if (image.bits_per_pixel == 1 && image.indices.size() == image.pixels.size()) {
    std::transform(image.indices.begin(), image.indices.end(), surface.pixels_.begin(),
                   [](std::uint8_t bit) { return bit != 0 ? 0x00FFFFFFu : 0u; });
  } else {
    std::copy(image.pixels.begin(), image.pixels.end(), surface.pixels_.begin());
  }
  return surface;
}

void SoftwareSurface::bit_blt(int dx, int dy, int w, int h, const Surface& source, int sx, int sy,
                              RasterOp op) {
  const auto* src = dynamic_cast<const SoftwareSurface*>(&source);
  if (src == nullptr || w <= 0 || h <= 0) return;
  // Clip against both surfaces in 64-bit arithmetic, so that no coordinate
  // can overflow.
  std::int64_t x0 = 0, y0 = 0, x1 = w, y1 = h;  // offsets into the rectangle
  x0 = std::max({x0, -std::int64_t{dx}, -std::int64_t{sx}});
  y0 = std::max({y0, -std::int64_t{dy}, -std::int64_t{sy}});
  x1 = std::min({x1, std::int64_t{width_} - dx, std::int64_t{src->width_} - sx});
  y1 = std::min({y1, std::int64_t{height_} - dy, std::int64_t{src->height_} - sy});
  if (x0 >= x1 || y0 >= y1) return;
  const auto count = static_cast<std::size_t>(x1 - x0);
  const auto dst_stride = static_cast<std::size_t>(width_);
  const auto src_stride = static_cast<std::size_t>(src->width_);
  std::uint32_t* d = pixels_.data() + static_cast<std::size_t>(dy + y0) * dst_stride +
                     static_cast<std::size_t>(dx + x0);
  const std::uint32_t* s = src->pixels_.data() + static_cast<std::size_t>(sy + y0) * src_stride +
                           static_cast<std::size_t>(sx + x0);
  uniform_ = false;
  const std::int64_t rows = y1 - y0;
  if (src->uniform_) {
    // Every source pixel has the same colour: no need to read the source.
    const std::uint32_t c = src->uniform_colour_;
    for (std::int64_t r = 0; r < rows; ++r) {
      std::uint32_t* __restrict drow = d + static_cast<std::size_t>(r) * dst_stride;
      switch (op) {
        case RasterOp::src_copy:
          std::fill_n(drow, count, c);
          break;
        case RasterOp::src_and:
          for (std::size_t k = 0; k < count; ++k) drow[k] &= c;
          break;
        case RasterOp::src_paint:
          for (std::size_t k = 0; k < count; ++k) drow[k] |= c;
          break;
      }
    }
    return;
  }
  // A surface copying onto itself with overlapping rectangles: walk the rows
  // in the direction that reads each row before it is overwritten.
  const bool backwards = src == this && sy + y0 < dy + y0;
  const bool same = src == this;
  for (std::int64_t i = 0; i < rows; ++i) {
    const std::int64_t r = backwards ? rows - 1 - i : i;
    std::uint32_t* drow = d + static_cast<std::size_t>(r) * dst_stride;
    const std::uint32_t* srow = s + static_cast<std::size_t>(r) * src_stride;
    if (op == RasterOp::src_copy) {
      std::memmove(drow, srow, count * sizeof(std::uint32_t));
    } else if (same) {
      combine_overlapping(drow, srow, count, op);
    } else {
      combine(drow, srow, count, op);
    }
  }
}

std::uint32_t SoftwareSurface::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[std::size_t(y) * std::size_t(width_) + std::size_t(x)];
}

void SoftwareSurface::set_pixel(int x, int y, std::uint32_t colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  uniform_ = false;
  pixels_[std::size_t(y) * std::size_t(width_) + std::size_t(x)] = colour;
}

void SoftwareSurface::fill(std::uint32_t colour) {
  std::fill(pixels_.begin(), pixels_.end(), colour);
  uniform_ = true;
  uniform_colour_ = colour;
}

std::span<const std::uint32_t> SoftwareSurface::row(int y) const {
  if (y < 0 || y >= height_) return {};
  return std::span<const std::uint32_t>(pixels_).subspan(std::size_t(y) * std::size_t(width_),
                                                         std::size_t(width_));
}

}  // namespace fizzlet
