#include "saver/software_surface.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "geometry/pixel_rect.h"
#include "saver/pixel_loops.h"

namespace fizzlet {

namespace {

std::size_t area(int width, int height) {
  if (width <= 0 || height <= 0) return 0;
  return std::size_t(width) * std::size_t(height);
}

using pixels::Rows;
using pixels::SourceRows;

// One raster operation over a rectangle whose source is one colour.
void apply_colour(RasterOp op, Rows to, std::size_t rows, std::size_t count, std::uint32_t c) {
  switch (op) {
    case RasterOp::src_copy:
      pixels::fill_rect(to, rows, count, c);
      break;
    case RasterOp::src_and:
      pixels::and_rect_with(to, rows, count, c);
      break;
    case RasterOp::src_paint:
      pixels::or_rect_with(to, rows, count, c);
      break;
  }
}

// One raster operation from source rows that do not overlap the target's.
void apply_rows(RasterOp op, Rows to, SourceRows from, std::size_t rows, std::size_t count) {
  switch (op) {
    case RasterOp::src_copy:
      pixels::copy_rect(to, from, rows, count);
      break;
    case RasterOp::src_and:
      pixels::and_rect(to, from, rows, count);
      break;
    case RasterOp::src_paint:
      pixels::or_rect(to, from, rows, count);
      break;
  }
}

// Within one surface the rectangles may overlap: walk the rows in the
// direction that reads each row before it is overwritten, and read each
// source row whole before writing it.
void apply_within(RasterOp op, Rows to, SourceRows from, std::size_t rows, std::size_t count,
                  bool backwards) {
  std::vector<std::uint32_t> line(count);
  for (std::size_t i = 0; i < rows; ++i) {
    const std::size_t r = backwards ? rows - 1 - i : i;
    std::memcpy(line.data(), from.first + r * from.stride, count * sizeof(std::uint32_t));
    apply_rows(op, {to.first + r * to.stride, 0}, {line.data(), 0}, 1, count);
  }
}

}  // namespace

SoftwareSurface::SoftwareSurface(int width, int height, std::uint32_t colour)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      own_(area(width, height)),
      data_(own_.data()),
      size_(own_.size()),
      uniform_colour_(colour) {
  if (own_.empty()) width_ = height_ = 0;
  if (colour != 0) std::fill(own_.begin(), own_.end(), colour);
}

SoftwareSurface SoftwareSurface::over(std::span<std::uint32_t> pixels, int width, int height,
                                      std::optional<std::uint32_t> filled_with) {
  SoftwareSurface surface;
  const std::size_t needed = area(width, height);
  if (needed == 0 || needed > pixels.size()) return surface;
  surface.width_ = width;
  surface.height_ = height;
  surface.data_ = pixels.data();
  surface.size_ = needed;
  surface.uniform_ = filled_with.has_value();  // else whatever the memory holds
  surface.uniform_colour_ = filled_with.value_or(0);
  return surface;
}

SoftwareSurface::SoftwareSurface(const SoftwareSurface& other)
    : Surface(),
      width_(other.width_),
      height_(other.height_),
      own_(other.data_, other.data_ + other.size_),
      data_(own_.data()),
      size_(own_.size()),
      uniform_(other.uniform_),
      uniform_colour_(other.uniform_colour_) {}

SoftwareSurface& SoftwareSurface::operator=(const SoftwareSurface& other) {
  if (this != &other) {
    SoftwareSurface copy(other);
    take(copy);
  }
  return *this;
}

SoftwareSurface::SoftwareSurface(SoftwareSurface&& other) noexcept { take(other); }

SoftwareSurface& SoftwareSurface::operator=(SoftwareSurface&& other) noexcept {
  if (this != &other) take(other);
  return *this;
}

void SoftwareSurface::take(SoftwareSurface& other) noexcept {
  // Moving a vector keeps its buffer, so data_ stays valid whoever owns it.
  width_ = std::exchange(other.width_, 0);
  height_ = std::exchange(other.height_, 0);
  own_ = std::move(other.own_);
  data_ = std::exchange(other.data_, nullptr);
  size_ = std::exchange(other.size_, 0);
  uniform_ = std::exchange(other.uniform_, true);
  uniform_colour_ = std::exchange(other.uniform_colour_, 0);
  other.own_.clear();
}

SoftwareSurface SoftwareSurface::from_image(const DibImage& image) {
  SoftwareSurface surface(image.width, image.height);
  if (surface.size_ != image.pixels.size()) return surface;
  surface.uniform_ = false;
  if (image.bits_per_pixel == 1 && image.indices.size() == image.pixels.size()) {
    std::transform(image.indices.begin(), image.indices.end(), surface.data_,
                   [](std::uint8_t bit) { return bit != 0 ? 0x00FFFFFFu : 0u; });
  } else {
    std::copy(image.pixels.begin(), image.pixels.end(), surface.data_);
  }
  return surface;
}

void SoftwareSurface::bit_blt(int dx, int dy, int w, int h, const Surface& source, int sx, int sy,
                              RasterOp op) {
  const auto* src = dynamic_cast<const SoftwareSurface*>(&source);
  if (src == nullptr) return;
  const Transfer t = clip_transfer({{dx, dy, w, h}, sx, sy}, {0, 0, width_, height_},
                                   {0, 0, src->width_, src->height_});
  if (t.empty()) return;
  const auto count = static_cast<std::size_t>(t.target.width);
  const auto dst_stride = static_cast<std::size_t>(width_);
  const auto src_stride = static_cast<std::size_t>(src->width_);
  std::uint32_t* d = data_ + index(t.target.left, t.target.top);
  const std::uint32_t* s = src->data_ + src->index(t.source_left, t.source_top);
  // Read before this surface stops being uniform: the source may be itself.
  const bool source_uniform = src->uniform_;
  uniform_ = false;
  const auto rows = static_cast<std::size_t>(t.target.height);
  const Rows to{d, dst_stride};
  const SourceRows from{s, src_stride};
  if (source_uniform) {
    // Every source pixel has the same colour: no need to read the source.
    apply_colour(op, to, rows, count, src->uniform_colour_);
  } else if (src != this) {
    apply_rows(op, to, from, rows, count);
  } else {
    apply_within(op, to, from, rows, count, t.source_top < t.target.top);
  }
}

std::uint32_t SoftwareSurface::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return data_[index(x, y)];
}

void SoftwareSurface::set_pixel(int x, int y, std::uint32_t colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  uniform_ = false;
  data_[index(x, y)] = colour;
}

void SoftwareSurface::fill(std::uint32_t colour) {
  std::fill(data_, data_ + size_, colour);
  uniform_ = true;
  uniform_colour_ = colour;
}

std::span<const std::uint32_t> SoftwareSurface::row(int y) const {
  if (y < 0 || y >= height_) return {};
  return pixels().subspan(index(0, y), std::size_t(width_));
}

}  // namespace fizzlet
