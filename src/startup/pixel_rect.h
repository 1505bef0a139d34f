#pragma once
// A rectangle in whole pixels (left, top, width, height), origin at the
// top-left, y growing downwards: what the windows of every mode are placed
// and painted with once twips have been converted, and the monitors'
// rectangles the saver's animations share out.

#include <cstdint>

namespace fizzlet {

struct PixelRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool empty() const { return width <= 0 || height <= 0; }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

}  // namespace fizzlet
