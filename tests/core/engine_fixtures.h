#pragma once
// Shared helpers of the engine's tests: a scripted random source and a small
// synthetic sprite sheet with its mask (the committed artwork is only used by
// the golden test).

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>

#include "saver/dib.h"
#include "saver/random.h"
#include "saver/sprites.h"

namespace fizzlet::testing {

// Hands out queued values; a test queues the outcomes of draw(a) it wants
// and checks afterwards that every queued value was used.
class ScriptedRandom final : public RandomSource {
 public:
  // Queues the uniform value that makes draw(a) return result.
  ScriptedRandom& then(double a, int result) {
    values_.push_back((result - 0.5) / a);
    return *this;
  }
  ScriptedRandom& then_uniform(double r) {
    values_.push_back(r);
    return *this;
  }
  double next_uniform() override {
    ++used_;
    if (values_.empty()) {
      ADD_FAILURE() << "more random draws than the test queued";
      return 0.999;  // a draw that changes nothing: stays off, no hop, no pop
    }
    const double r = values_.front();
    values_.pop_front();
    return r;
  }
  std::size_t left() const { return values_.size(); }
  int used() const { return used_; }

 private:
  std::deque<double> values_;
  int used_ = 0;
};

// Colour of the synthetic image of a cell: distinct per cell, never black.
inline std::uint32_t cell_colour(int cell) {
  return 0x00101010u + static_cast<std::uint32_t>(cell) * 0x00030507u;
}

// A 586 x 266 sheet whose cell c is an ellipse of palette entry c filling the
// cell rectangle (black corners), and its mask: white exactly where the sheet
// is black.  Cells use the same rectangles as init_sprites.
struct TestSheets {
  DibImage sprite;
  DibImage mask;
};

inline TestSheets make_test_sheets() {
  Sprites tables;
  init_sprites(tables, 256);
  TestSheets sheets;
  DibImage& s = sheets.sprite;
  s.width = kSheetWidth;
  s.height = kSheetHeight;
  s.bits_per_pixel = 8;
  s.palette.assign(256, 0);
  for (int c = 1; c <= kLastRollCell; ++c) s.palette[std::size_t(c)] = cell_colour(c);
  s.indices.assign(std::size_t(kSheetWidth) * kSheetHeight, 0);
  for (int c = 1; c <= kLastRollCell; ++c) {
    const auto& r = tables.sheet_cells[c];
    const double cx = (r[kCellWidth] - 1) / 2.0, cy = (r[kCellHeight] - 1) / 2.0;
    for (int y = 0; y < r[kCellHeight]; ++y) {
      for (int x = 0; x < r[kCellWidth]; ++x) {
        const double ex = (x - cx) / (cx + 0.5), ey = (y - cy) / (cy + 0.5);
        if (ex * ex + ey * ey <= 1.0) {
          s.indices[std::size_t(r[kCellTop] + y) * kSheetWidth + std::size_t(r[kCellLeft] + x)] =
              static_cast<std::uint8_t>(c);
        }
      }
    }
  }
  s.pixels.resize(s.indices.size());
  for (std::size_t i = 0; i < s.indices.size(); ++i) s.pixels[i] = s.palette[s.indices[i]];

  DibImage& m = sheets.mask;
  m.width = kSheetWidth;
  m.height = kSheetHeight;
  m.bits_per_pixel = 1;
  m.palette = {0x000000u, 0xFFFFFFu};
  m.indices.resize(s.indices.size());
  m.pixels.resize(s.indices.size());
  for (std::size_t i = 0; i < s.indices.size(); ++i) {
    m.indices[i] = s.indices[i] == 0 ? 1 : 0;
    m.pixels[i] = m.palette[m.indices[i]];
  }
  return sheets;
}

}  // namespace fizzlet::testing
