#include "saver/compositor.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace fizzlet {

namespace {

int visited_slots(const Sprites& s) { return std::clamp(s.sprite_slots, 0, kMaxSlots); }

// One axis of the update rectangle: start and extent covering the old whole
// pixel position and the new fractional one.
void cover(std::int32_t old_pos, double pos, std::int32_t size, std::int32_t& start,
           std::int32_t& extent) {
  const std::int32_t rounded = round_half_even(pos);
  start = rounded;
  extent = size;
  if (old_pos < pos) {
    start = old_pos;
    extent = round_half_even(pos - old_pos + 1 + size);
  } else if (old_pos > pos) {
    extent = round_half_even(static_cast<double>(old_pos) - rounded + 1 + size);
  }
}

}  // namespace

std::int32_t round_half_even(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kLow = std::numeric_limits<std::int32_t>::min();
  constexpr double kHigh = std::numeric_limits<std::int32_t>::max();
  if (value <= kLow) return std::numeric_limits<std::int32_t>::min();
  if (value >= kHigh) return std::numeric_limits<std::int32_t>::max();
  // Rounding to nearest with ties to even is the processor's own (the
  // default mode, which nothing here changes).
  return static_cast<std::int32_t>(std::nearbyint(value));
}

PixelRect update_rect(std::int32_t old_x, std::int32_t old_y, double x, double y, std::int32_t w,
                      std::int32_t h) {
  PixelRect r;
  cover(old_x, x, w, r.left, r.width);
  cover(old_y, y, h, r.top, r.height);
  return r;
}

void plan_old_sprites(Sprites& s, BlitPlan& plan) {
  const int slots = visited_slots(s);
  for (int slot = 1; slot <= slots; ++slot) {
    if (s.sprite_state[slot] == kStateOff) {
      s.sprite_erased[slot] = false;
      continue;
    }
    const PixelRect cell = cell_rect(s, s.sprite_cell[slot]);
    const std::int32_t x = round_half_even(s.sprite_x[slot]);
    const std::int32_t y = round_half_even(s.sprite_y[slot]);
    plan.erase(PixelRect{x, y, cell.width, cell.height});
    s.sprite_old_x[slot] = x;
    s.sprite_old_y[slot] = y;
    s.sprite_old_w[slot] = cell.width;
    s.sprite_old_h[slot] = cell.height;
    s.sprite_erased[slot] = true;
  }
}

void plan_new_sprites(const Sprites& s, BlitPlan& plan) {
  const int slots = visited_slots(s);
  for (int slot = 1; slot <= slots; ++slot) {
    if (s.sprite_state[slot] == kStateOff) continue;
    const PixelRect cell = cell_rect(s, s.sprite_cell[slot]);
    const std::int32_t x = round_half_even(s.sprite_x[slot]);
    const std::int32_t y = round_half_even(s.sprite_y[slot]);
    plan.draw(x, y, cell, !s.high_colour);
  }
}

void plan_flicker_free(const Sprites& s, BlitPlan& plan) {
  const int slots = visited_slots(s);
  for (int slot = 1; slot <= slots; ++slot) {
    // The place the erase step cleaned this frame, with the size it had.
    const PixelRect erased{s.sprite_old_x[slot], s.sprite_old_y[slot], s.sprite_old_w[slot],
                           s.sprite_old_h[slot]};
    const bool was_erased = s.sprite_erased[slot];
    if (s.sprite_state[slot] == kStateOff) {
      // A piece the motion step has just taken out of play: its last image
      // may still reach into the screen (a fast fall on a tall screen
      // crosses the 30-pixel margin in one frame), so show the cleaned place.
      if (was_erased) plan.present(erased);
      continue;
    }
    const PixelRect cell = cell_rect(s, s.sprite_cell[slot]);
    if (!was_erased) {
      // The kernel came into play this frame.  Its recorded old position is
      // from an earlier life, and the screen shows nothing of it there any
      // more (its last image was wiped when it left), so only its new place
      // needs showing; spanning from the stale position would copy up to the
      // whole screen for nothing.
      plan.present(PixelRect{round_half_even(s.sprite_x[slot]), round_half_even(s.sprite_y[slot]),
                             cell.width, cell.height});
      continue;
    }
    const PixelRect r = update_rect(s.sprite_old_x[slot], s.sprite_old_y[slot], s.sprite_x[slot],
                                    s.sprite_y[slot], cell.width, cell.height);
    plan.present(r);
    // The rectangle takes the current cell's size for both positions.  When
    // the cell has just become smaller (a kernel popping into a narrow
    // piece), the old image reaches beyond it: show its cleaned place too.
    if (was_erased && !r.contains(erased)) plan.present(erased);
  }
}

void TransferPlan::erase(const PixelRect& r) {
  surfaces_.background_work.bit_blt(r.left, r.top, r.width, r.height, surfaces_.background_copy,
                                    r.left, r.top, RasterOp::src_copy);
}

void TransferPlan::draw(std::int32_t x, std::int32_t y, const PixelRect& cell, bool masked) {
  if (masked) {
    surfaces_.background_work.bit_blt(x, y, cell.width, cell.height, surfaces_.mask, cell.left,
                                      cell.top, RasterOp::src_and);
  }
  surfaces_.background_work.bit_blt(x, y, cell.width, cell.height, surfaces_.sprite, cell.left,
                                    cell.top, RasterOp::src_paint);
}

void TransferPlan::present(const PixelRect& r) {
  surfaces_.screen.bit_blt(r.left, r.top, r.width, r.height, surfaces_.background_work, r.left,
                           r.top, RasterOp::src_copy);
}

void blit_old_sprites(Sprites& s, const CompositorSurfaces& surfaces) {
  TransferPlan plan(surfaces);
  plan_old_sprites(s, plan);
}

void blit_new_sprites(const Sprites& s, const CompositorSurfaces& surfaces) {
  TransferPlan plan(surfaces);
  plan_new_sprites(s, plan);
}

void blit_flicker_free(const Sprites& s, const CompositorSurfaces& surfaces) {
  TransferPlan plan(surfaces);
  plan_flicker_free(s, plan);
}

double get_numberofcolors(int bits_per_pixel, int planes) {
  const auto bits = static_cast<std::int16_t>(bits_per_pixel);
  const auto plane_count = static_cast<std::int16_t>(planes);
  const auto n = static_cast<std::int16_t>(bits * plane_count);
  return std::pow(2.0, n);
}

}  // namespace fizzlet
