#include "saver/motion.h"

#include <algorithm>

namespace fizzlet {

namespace {

// Horizontal move with bounce at the side edges: a kernel that would leave
// the screen goes back to where it stood, turns round and rolls the other way.
void roll_sideways(Sprites& s, int slot, double width) {
  s.sprite_x[slot] += s.sprite_dx[slot];
  if (s.sprite_x[slot] < 0 || s.sprite_x[slot] + 31 > width) {
    s.sprite_dx[slot] = -s.sprite_dx[slot];
    s.sprite_x[slot] += s.sprite_dx[slot];
    if (s.sprite_seq[slot] == kSeqRollRight) {
      s.sprite_seq[slot] = kSeqRollLeft;
    } else if (s.sprite_seq[slot] == kSeqRollLeft) {
      s.sprite_seq[slot] = kSeqRollRight;
    }
  }
}

void enter(Sprites& s, int slot, const MotionSettings& m, RandomSource& random) {
  if (draw(random, 500) >= 250) return;
  sprite_off(s, slot);
  if (draw(random, 500) < 250) {
    s.sprite_x[slot] = 0;
    s.sprite_dx[slot] = draw(random, 10) * 0.5;
    s.sprite_seq[slot] = kSeqRollRight;
  } else {
    s.sprite_x[slot] = m.width - kKernelSize;
    s.sprite_dx[slot] = -(draw(random, 10) * 0.5);
    s.sprite_seq[slot] = kSeqRollLeft;
  }
  s.sprite_y[slot] = m.height - 33;
  s.sprite_state[slot] = kStateRolling;
}

void roll(Sprites& s, int slot, const MotionSettings& m, RandomSource& random) {
  const double h = m.height;
  roll_sideways(s, slot, m.width);
  if (coin(random)) {
    s.sprite_gravity[slot] = h / 850;
    s.sprite_dy[slot] = -draw(random, h / 85);
    s.sprite_state[slot] = kStateHopping;
  }
}

void hop(Sprites& s, int slot, const MotionSettings& m, RandomSource& random) {
  const double h = m.height;
  roll_sideways(s, slot, m.width);
  s.sprite_y[slot] += s.sprite_dy[slot];
  if (s.sprite_y[slot] > h - 32) {
    s.sprite_y[slot] = h - 33;
    s.sprite_state[slot] = kStateRolling;
  }
  s.sprite_dy[slot] += s.sprite_gravity[slot];
  // The pop test draws on every frame in this state, whatever the height.
  if (draw(random, 500) < m.pop_chance && s.sprite_y[slot] < h - 48) {
    s.sprite_state[slot] = kStatePopped;
    s.sprite_seq[slot] = 0;
    s.sprite_cell[slot] = draw(random, kPieceCells);
    s.sprite_dx[slot] = draw(random, 20) - 10;
    s.sprite_gravity[slot] = h / 750;
    s.sprite_dy[slot] = -(h / 30) - draw(random, h / 60);
  }
}

void fly(Sprites& s, int slot, const MotionSettings& m) {
  s.sprite_x[slot] += s.sprite_dx[slot];
  s.sprite_y[slot] += s.sprite_dy[slot];
  s.sprite_dy[slot] += s.sprite_gravity[slot];
  const int cell = s.sprite_cell[slot];
  const bool known_cell = cell >= 0 && cell < kCellRows;
  const double w = known_cell ? s.sheet_cells[cell][kCellWidth] : 0;
  const double ht = known_cell ? s.sheet_cells[cell][kCellHeight] : 0;
  const double x = s.sprite_x[slot];
  const double y = s.sprite_y[slot];
  if (x + w < -30 || x > m.width + 30.0 || y + ht < -30 || y > m.height + 30.0) {
    sprite_off(s, slot);
  }
}

}  // namespace

int limited_total_fizzlet(int total_fizzlet) { return std::clamp(total_fizzlet, 1, kMaxSlots); }

void move_sprites(Sprites& sprites, const MotionSettings& settings, RandomSource& random) {
  const int total = limited_total_fizzlet(settings.total_fizzlet);
  for (int slot = 1; slot <= total; ++slot) {
    switch (sprites.sprite_state[slot]) {
      case kStateOff:
        enter(sprites, slot, settings, random);
        break;
      case kStateRolling:
        roll(sprites, slot, settings, random);
        break;
      case kStateHopping:
        hop(sprites, slot, settings, random);
        break;
      case kStatePopped:
        fly(sprites, slot, settings);
        break;
      default:
        break;
    }
  }
  anim_sprites(sprites);
}

void anim_sprites(Sprites& sprites) {
  const int slots = std::clamp(sprites.sprite_slots, 0, kMaxSlots);
  for (int slot = 1; slot <= slots; ++slot) {
    const int seq = sprites.sprite_seq[slot];
    if (sprites.sprite_state[slot] == kStateOff || seq == 0) continue;
    if (seq < 0 || seq >= kSeqRows) continue;  // never set by the motion rules
    const auto& steps = sprites.anim_seqs[seq];
    int step = sprites.sprite_step[slot] + 1;
    if (step < 1 || step >= kSeqSteps || steps[step] == kSeqEnd) step = 1;
    sprites.sprite_step[slot] = step;
    sprites.sprite_cell[slot] = steps[step];
  }
}

}  // namespace fizzlet
