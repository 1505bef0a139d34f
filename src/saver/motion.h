#pragma once
// Once-per-frame motion of the kernels: the four-state machine (off,
// rolling, hopping, popped) and the roll animation.  Velocities are pixels
// per frame, accelerations pixels per frame per frame.

#include "saver/random.h"
#include "saver/sprites.h"

namespace fizzlet {

struct MotionSettings {
  int total_fizzlet = 36;  // kernels in play; limited to 1..100
  int pop_chance = 10;     // a hopping kernel pops when draw(500) < pop_chance
  int width = 0;           // screen_width_px
  int height = 0;          // screen_height_px
};

// Advances slots 1..total_fizzlet by one frame in ascending order, then calls
// anim_sprites.  The random draws happen in a fixed order, so a run is
// reproducible from the generator's seed.
void move_sprites(Sprites& sprites, const MotionSettings& settings, RandomSource& random);

// Steps the roll animation of every animated kernel in play by one cell.
void anim_sprites(Sprites& sprites);

// total_fizzlet as the engine uses it: 1..100.
int limited_total_fizzlet(int total_fizzlet);

}  // namespace fizzlet
