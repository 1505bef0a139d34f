#pragma once
// The loops over a rectangle of 32-bit pixels that every software transfer
// ends in: the software surface's bit-block transfers and the frame
// composer's steps.  Each takes the first row's start and the distance from
// one row to the next; a source never overlaps its destination.

#include <cstddef>
#include <cstdint>

namespace fizzlet::pixels {

struct Rows {
  std::uint32_t* first;
  std::size_t stride;
};
struct SourceRows {
  const std::uint32_t* first;
  std::size_t stride;
};

// destination = c, destination AND c, destination OR c.
void fill_rect(Rows d, std::size_t rows, std::size_t count, std::uint32_t c);
void and_rect_with(Rows d, std::size_t rows, std::size_t count, std::uint32_t c);
void or_rect_with(Rows d, std::size_t rows, std::size_t count, std::uint32_t c);
// destination = source, destination AND source, destination OR source.
void copy_rect(Rows d, SourceRows s, std::size_t rows, std::size_t count);
void and_rect(Rows d, SourceRows s, std::size_t rows, std::size_t count);
void or_rect(Rows d, SourceRows s, std::size_t rows, std::size_t count);
// destination = (destination AND mask) OR sprite: the two steps of a draw
// through a mask in one walk.
void mask_paint_rect(Rows d, SourceRows mask, SourceRows sprite, std::size_t rows,
                     std::size_t count);

}  // namespace fizzlet::pixels
