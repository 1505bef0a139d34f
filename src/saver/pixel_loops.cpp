#include "saver/pixel_loops.h"

#include <cstring>

namespace fizzlet::pixels {

// These loops are where the time goes.  Where the compiler can pick an
// implementation by processor at load time, they come in a plain and an
// AVX2 version.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__ELF__)
#define FIZZLET_PIXEL_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define FIZZLET_PIXEL_LOOP
#endif

FIZZLET_PIXEL_LOOP void fill_rect(Rows d, std::size_t rows, std::size_t count, std::uint32_t c) {
  for (std::size_t r = 0; r < rows; ++r) {
    std::uint32_t* __restrict row = d.first + r * d.stride;
    for (std::size_t k = 0; k < count; ++k) row[k] = c;
  }
}

FIZZLET_PIXEL_LOOP void and_rect_with(Rows d, std::size_t rows, std::size_t count,
                                      std::uint32_t c) {
  for (std::size_t r = 0; r < rows; ++r) {
    std::uint32_t* __restrict row = d.first + r * d.stride;
    for (std::size_t k = 0; k < count; ++k) row[k] &= c;
  }
}

FIZZLET_PIXEL_LOOP void or_rect_with(Rows d, std::size_t rows, std::size_t count, std::uint32_t c) {
  for (std::size_t r = 0; r < rows; ++r) {
    std::uint32_t* __restrict row = d.first + r * d.stride;
    for (std::size_t k = 0; k < count; ++k) row[k] |= c;
  }
}

void copy_rect(Rows d, SourceRows s, std::size_t rows, std::size_t count) {
  for (std::size_t r = 0; r < rows; ++r) {
    std::memcpy(d.first + r * d.stride, s.first + r * s.stride, count * sizeof(std::uint32_t));
  }
}

FIZZLET_PIXEL_LOOP void and_rect(Rows d, SourceRows s, std::size_t rows, std::size_t count) {
  for (std::size_t r = 0; r < rows; ++r) {
    std::uint32_t* __restrict drow = d.first + r * d.stride;
    const std::uint32_t* __restrict srow = s.first + r * s.stride;
    for (std::size_t k = 0; k < count; ++k) drow[k] &= srow[k];
  }
}

FIZZLET_PIXEL_LOOP void or_rect(Rows d, SourceRows s, std::size_t rows, std::size_t count) {
  for (std::size_t r = 0; r < rows; ++r) {
    std::uint32_t* __restrict drow = d.first + r * d.stride;
    const std::uint32_t* __restrict srow = s.first + r * s.stride;
    for (std::size_t k = 0; k < count; ++k) drow[k] |= srow[k];
  }
}

FIZZLET_PIXEL_LOOP void mask_paint_rect(Rows d, SourceRows mask, SourceRows sprite,
                                        std::size_t rows, std::size_t count) {
  for (std::size_t r = 0; r < rows; ++r) {
    std::uint32_t* __restrict drow = d.first + r * d.stride;
    const std::uint32_t* __restrict mrow = mask.first + r * mask.stride;
    const std::uint32_t* __restrict srow = sprite.first + r * sprite.stride;
    for (std::size_t k = 0; k < count; ++k) drow[k] = (drow[k] & mrow[k]) | srow[k];
  }
}

}  // namespace fizzlet::pixels
