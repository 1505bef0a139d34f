#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "engine_fixtures.h"
#include "saver/motion.h"

namespace fizzlet {
namespace {

using testing::ScriptedRandom;

constexpr int kStayOff = 500;  // draw(500) >= 250: a slot stays off / no coin

MotionSettings screen(int w, int h, int kernels = 1, int pop = 10) {
  return MotionSettings{kernels, pop, w, h};
}

Sprites fresh() {
  Sprites s;
  init_sprites(s, 256);
  return s;
}

void place(Sprites& s, int slot, std::int32_t state, double x, double y, double dx, double dy,
           std::int32_t seq) {
  s.sprite_state[slot] = state;
  s.sprite_x[slot] = x;
  s.sprite_y[slot] = y;
  s.sprite_dx[slot] = dx;
  s.sprite_dy[slot] = dy;
  s.sprite_seq[slot] = seq;
}

TEST(RandomDraws, DrawIsFloorOfScaledUniformPlusOne) {
  ScriptedRandom r;
  r.then_uniform(0.0).then_uniform(0.999999).then_uniform(0.5).then_uniform(0.999999);
  EXPECT_EQ(draw(r, 500), 1);
  EXPECT_EQ(draw(r, 500), 500);
  EXPECT_EQ(draw(r, 10), 6);
  // A fractional size reaches floor(a) + 1: H / 85 for H = 480 is 5.647...
  EXPECT_EQ(draw(r, 480.0 / 85), 6);
  // The coin: 249 is heads, 250 is tails.
  r.then(500, 249).then(500, 250);
  EXPECT_TRUE(coin(r));
  EXPECT_FALSE(coin(r));
}

TEST(RandomDraws, SeededGeneratorIsReproducibleAndUniform) {
  SeededRandom a(42), b(42), c(43);
  bool differs = false;
  for (int i = 0; i < 1000; ++i) {
    const double x = a.next_uniform();
    EXPECT_EQ(x, b.next_uniform());
    if (x != c.next_uniform()) differs = true;
  }
  EXPECT_TRUE(differs);
  // Every face of draw(10) turns up, none outside 1..10, roughly evenly.
  SeededRandom g(7);
  int counts[12] = {};
  for (int i = 0; i < 100000; ++i) {
    const int d = draw(g, 10);
    ASSERT_GE(d, 1);
    ASSERT_LE(d, 10);
    ++counts[d];
  }
  for (int d = 1; d <= 10; ++d) EXPECT_NEAR(counts[d], 10000, 600) << d;
  // The first values after reseeding match a fresh generator.
  g.reseed(42);
  SeededRandom h(42);
  EXPECT_EQ(g.next_u64(), h.next_u64());
}

TEST(Motion, KernelsEnterAtEitherEdgeOn640x480) {
  // Left edge: enter, side, speed 3 -> dx 1.5.
  Sprites s = fresh();
  ScriptedRandom r;
  r.then(500, 249).then(500, 249).then(10, 3);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(r.left(), 0u);
  EXPECT_EQ(s.sprite_state[1], kStateRolling);
  EXPECT_EQ(s.sprite_x[1], 0);
  EXPECT_EQ(s.sprite_y[1], 447);
  EXPECT_EQ(s.sprite_dx[1], 1.5);
  EXPECT_EQ(s.sprite_seq[1], 1);
  EXPECT_EQ(s.sprite_cell[1], 22);  // a slot's first frame shows the first cell
  EXPECT_EQ(s.sprite_step[1], 1);

  // Right edge: side draw 250, speed 1 -> dx -0.5; the next frame moves it
  // to W - 32.5 (half pixels are normal).
  s = fresh();
  r.then(500, 1).then(500, 250).then(10, 1);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(s.sprite_x[1], 608);
  EXPECT_EQ(s.sprite_dx[1], -0.5);
  EXPECT_EQ(s.sprite_seq[1], 2);
  EXPECT_EQ(s.sprite_cell[1], 37);
  r.then(500, kStayOff);  // no hop
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(s.sprite_x[1], 607.5);
  EXPECT_EQ(s.sprite_cell[1], 36);
  EXPECT_EQ(r.left(), 0u);

  // Fastest entry speed is 5 pixels per frame.
  s = fresh();
  r.then(500, 1).then(500, 1).then(10, 10);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(s.sprite_dx[1], 5.0);

  // A draw of 250 or more leaves the slot off and takes no further draws.
  s = fresh();
  r.then(500, 250);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(s.sprite_state[1], kStateOff);
  EXPECT_EQ(r.left(), 0u);
}

TEST(Motion, ReusedSlotResumesItsRollAndKeepsNothingElse) {
  Sprites s = fresh();
  // Slot 1 was a piece that left the screen after showing step 5.
  s.sprite_step[1] = 5;
  s.sprite_cell[1] = 9;
  s.sprite_dy[1] = 7;
  s.sprite_x[1] = 900;
  ScriptedRandom r;
  r.then(500, 1).then(500, 1).then(10, 2);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(s.sprite_step[1], 6);
  EXPECT_EQ(s.sprite_cell[1], 27);
  EXPECT_EQ(s.sprite_x[1], 0);
  EXPECT_EQ(s.sprite_dy[1], 0);
  // After step 16 the roll starts again at step 1.
  s.sprite_step[1] = 16;
  r.then(500, kStayOff);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(s.sprite_step[1], 1);
  EXPECT_EQ(s.sprite_cell[1], 22);
}

TEST(Motion, BounceReturnsToThePreviousPositionWithTheOtherSequence) {
  ScriptedRandom r;
  // Right edge of a 640 wide screen: 609 + 31 = 640 is still inside.
  Sprites s = fresh();
  place(s, 1, kStateRolling, 608.5, 447, 0.5, 0, 1);
  s.sprite_step[1] = 4;
  r.then(500, kStayOff);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(s.sprite_x[1], 609);
  EXPECT_EQ(s.sprite_seq[1], 1);
  EXPECT_EQ(s.sprite_cell[1], 26);  // step 5 of the right roll

  r.then(500, kStayOff);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(s.sprite_x[1], 609);  // back where it stood
  EXPECT_EQ(s.sprite_dx[1], -0.5);
  EXPECT_EQ(s.sprite_seq[1], 2);
  EXPECT_EQ(s.sprite_step[1], 6);
  EXPECT_EQ(s.sprite_cell[1], 32);  // 37 - 5: the mirrored cell goes on

  // Left edge: below 0 bounces, 0 itself does not.
  s = fresh();
  place(s, 1, kStateRolling, 2, 447, -2, 0, 2);
  r.then(500, kStayOff).then(500, kStayOff);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(s.sprite_x[1], 0);
  EXPECT_EQ(s.sprite_seq[1], 2);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(s.sprite_x[1], 0);
  EXPECT_EQ(s.sprite_dx[1], 2);
  EXPECT_EQ(s.sprite_seq[1], 1);

  // A hopping kernel bounces the same way.
  s = fresh();
  place(s, 1, kStateHopping, 1, 400, -4.5, -3, 2);
  s.sprite_gravity[1] = 480.0 / 850;
  r.then(500, kStayOff);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(s.sprite_x[1], 1);
  EXPECT_EQ(s.sprite_dx[1], 4.5);
  EXPECT_EQ(s.sprite_seq[1], 1);
  EXPECT_EQ(r.left(), 0u);
}

TEST(Motion, HopScalesWithScreenHeight) {
  struct Case {
    int height;
    double gravity;
    int max_launch;
  };
  for (const Case c : {Case{480, 0.5647058823529412, 6}, Case{600, 0.7058823529411765, 8}}) {
    SCOPED_TRACE(c.height);
    Sprites s = fresh();
    place(s, 1, kStateRolling, 100, c.height - 33, 1, 0, 1);
    ScriptedRandom r;
    r.then(500, 249).then_uniform(0.9999999);  // coin, then the fastest launch
    move_sprites(s, screen(640, c.height), r);
    EXPECT_EQ(s.sprite_state[1], kStateHopping);
    EXPECT_NEAR(s.sprite_gravity[1], c.gravity, 1e-12);
    EXPECT_EQ(s.sprite_dy[1], -c.max_launch);
    EXPECT_EQ(s.sprite_x[1], 101);
    EXPECT_EQ(s.sprite_y[1], c.height - 33);  // the hop starts next frame
    EXPECT_EQ(r.left(), 0u);
  }
}

TEST(Motion, HoppingKernelRisesFallsAndLands) {
  Sprites s = fresh();
  const double g = 480.0 / 850;
  place(s, 1, kStateHopping, 100, 447, 0.5, -3, 1);
  s.sprite_gravity[1] = g;
  ScriptedRandom r;
  r.then(500, 500);  // the pop test draws even when it cannot pop
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(s.sprite_y[1], 444);
  EXPECT_DOUBLE_EQ(s.sprite_dy[1], -3 + g);
  EXPECT_EQ(s.sprite_state[1], kStateHopping);

  // Falling through the floor (y > 448) lands it at 447; the frame still
  // adds gravity and still draws for the pop test, which cannot succeed.
  s.sprite_y[1] = 446;
  s.sprite_dy[1] = 2.5;
  r.then(500, 1);
  move_sprites(s, screen(640, 480, 1, 50), r);
  EXPECT_EQ(s.sprite_y[1], 447);
  EXPECT_EQ(s.sprite_state[1], kStateRolling);
  EXPECT_DOUBLE_EQ(s.sprite_dy[1], 2.5 + g);
  EXPECT_EQ(r.left(), 0u);

  // Exactly 448 is not below the floor yet.
  s.sprite_state[1] = kStateHopping;
  s.sprite_y[1] = 447;
  s.sprite_dy[1] = 1;
  r.then(500, 500);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(s.sprite_y[1], 448);
  EXPECT_EQ(s.sprite_state[1], kStateHopping);
}

TEST(Motion, PopNeedsTheDrawAndHeightAndScalesWithScreenHeight) {
  struct Case {
    int height;
    double gravity;
    int min_launch, max_launch;
  };
  for (const Case c : {Case{480, 0.64, 17, 24}, Case{600, 0.8, 21, 30}}) {
    SCOPED_TRACE(c.height);
    const double limit = c.height - 48;
    // At the limit height no pop, whatever the draw.
    Sprites s = fresh();
    place(s, 1, kStateHopping, 200, limit, 1, 0, 1);
    ScriptedRandom r;
    r.then(500, 1);
    move_sprites(s, screen(640, c.height, 1, 50), r);
    EXPECT_EQ(s.sprite_state[1], kStateHopping);

    // Just above it: draw(500) = 9 < pop chance 10 pops; the piece, the
    // sideways speed and the launch are drawn in that order.
    place(s, 1, kStateHopping, 200, limit - 0.25, 1, 0, 1);
    s.sprite_step[1] = 3;
    r.then(500, 9).then(21, 21).then(20, 1).then_uniform(0.0);
    move_sprites(s, screen(640, c.height, 1, 10), r);
    EXPECT_EQ(r.left(), 0u);
    EXPECT_EQ(s.sprite_state[1], kStatePopped);
    EXPECT_EQ(s.sprite_seq[1], 0);
    EXPECT_EQ(s.sprite_cell[1], 21);
    EXPECT_EQ(s.sprite_dx[1], -9);
    EXPECT_NEAR(s.sprite_gravity[1], c.gravity, 1e-12);
    EXPECT_DOUBLE_EQ(s.sprite_dy[1], -c.min_launch);
    EXPECT_EQ(s.sprite_step[1], 3);  // the roll animation has stopped
    EXPECT_EQ(s.sprite_x[1], 201);   // the piece starts where the kernel was

    // The other ends of the ranges.
    place(s, 1, kStateHopping, 200, limit - 1, 1, 0, 1);
    r.then(500, 9).then(21, 1).then(20, 20).then_uniform(0.9999999);
    move_sprites(s, screen(640, c.height, 1, 10), r);
    EXPECT_EQ(s.sprite_cell[1], 1);
    EXPECT_EQ(s.sprite_dx[1], 10);
    EXPECT_DOUBLE_EQ(s.sprite_dy[1], -c.max_launch);

    // A draw equal to the pop chance does not pop.
    place(s, 1, kStateHopping, 200, limit - 1, 1, 0, 1);
    r.then(500, 10);
    move_sprites(s, screen(640, c.height, 1, 10), r);
    EXPECT_EQ(s.sprite_state[1], kStateHopping);
    EXPECT_EQ(r.left(), 0u);
  }
}

TEST(Motion, LowHopNeverPops) {
  // A launch of 2 at H = 480 rises less than 15 pixels: even with every pop
  // draw at 1 the kernel lands again without popping.
  Sprites s = fresh();
  place(s, 1, kStateHopping, 100, 447, 0, -2, 1);
  s.sprite_gravity[1] = 480.0 / 850;
  ScriptedRandom r;
  double highest = 447;
  for (int frame = 0; frame < 20 && s.sprite_state[1] == kStateHopping; ++frame) {
    r.then(500, 1);
    move_sprites(s, screen(640, 480, 1, 50), r);
    highest = std::min(highest, s.sprite_y[1]);
  }
  EXPECT_EQ(s.sprite_state[1], kStateRolling);
  EXPECT_GT(highest, 447 - 15);
}

TEST(Motion, PieceLeavesOnlyWhenWellBeyondAnEdge) {
  struct Case {
    double x, y;  // position after this frame's move (dx = dy = 0, no gravity)
    bool stays;
  };
  // Cell 1 is 75 x 56.  On 640 x 480 the limits are x > 670, y > 510,
  // x + 75 < -30 and y + 56 < -30.
  const Case cases[] = {
      {670, 200, true},    {670.5, 200, false}, {300, 510, true},  {300, 510.5, false},
      {-105, 200, true},   {-105.5, 200, false}, {300, -86, true}, {300, -86.5, false},
      {-60, 200, true},  // its left edge well off the screen is not enough
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x << "," << c.y);
    Sprites s = fresh();
    place(s, 1, kStatePopped, c.x, c.y, 0, 0, 0);
    s.sprite_cell[1] = 1;
    ScriptedRandom r;
    move_sprites(s, screen(640, 480), r);
    EXPECT_EQ(s.sprite_state[1] == kStatePopped, c.stays);
    EXPECT_EQ(s.sprite_cell[1], 1);  // a piece keeps its cell, also when it leaves
    EXPECT_EQ(s.sprite_x[1], c.x);
    EXPECT_EQ(r.used(), 0);  // flying takes no random draws
  }
  // Flight under gravity, no bounce at the side.
  Sprites s = fresh();
  place(s, 1, kStatePopped, 630, 100, 10, -17, 0);
  s.sprite_gravity[1] = 0.64;
  s.sprite_cell[1] = 21;
  ScriptedRandom r;
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(s.sprite_x[1], 640);
  EXPECT_EQ(s.sprite_y[1], 83);
  EXPECT_DOUBLE_EQ(s.sprite_dy[1], -16.36);
  EXPECT_EQ(s.sprite_dx[1], 10);
}

// Runs many frames with a seeded generator and checks what must hold on every
// frame of every slot.
struct RunStats {
  int pops = 0;
  int hops = 0;
  std::set<int> slots_seen;
};

RunStats long_run(MotionSettings m, std::uint64_t seed, int frames) {
  Sprites s = fresh();
  SeededRandom random(seed);
  RunStats stats;
  const int in_play = limited_total_fizzlet(m.total_fizzlet);
  for (int f = 0; f < frames; ++f) {
    const Sprites before = s;
    move_sprites(s, m, random);
    for (int slot = 1; slot <= kMaxSlots; ++slot) {
      const int state = s.sprite_state[slot];
      if (state != kStateOff) stats.slots_seen.insert(slot);
      if (slot > in_play) {
        EXPECT_EQ(state, kStateOff) << "slot " << slot;
        continue;
      }
      if (state == kStateRolling || state == kStateHopping) {
        EXPECT_GE(s.sprite_x[slot], 0);
        EXPECT_LE(s.sprite_x[slot] + 31, m.width);
        EXPECT_GE(s.sprite_cell[slot], 22);
        EXPECT_LE(s.sprite_cell[slot], 37);
        // Half-pixel positions at most.
        EXPECT_EQ(s.sprite_x[slot] * 2, std::floor(s.sprite_x[slot] * 2));
      }
      if (state == kStateRolling) {
        EXPECT_EQ(s.sprite_y[slot], m.height - 33);
      }
      if (state == kStateHopping && before.sprite_state[slot] == kStateRolling) ++stats.hops;
      if (state == kStatePopped && before.sprite_state[slot] != kStatePopped) {
        ++stats.pops;
        EXPECT_EQ(before.sprite_state[slot], kStateHopping);
        EXPECT_LT(s.sprite_y[slot], m.height - 48);
        EXPECT_GE(s.sprite_cell[slot], 1);
        EXPECT_LE(s.sprite_cell[slot], 21);
      }
      if (::testing::Test::HasFailure()) return stats;
    }
  }
  return stats;
}

TEST(Motion, LongRunsKeepEveryRule) {
  const RunStats busy = long_run(screen(1024, 768, 100, 50), 1, 3000);
  EXPECT_GT(busy.pops, 1000);
  EXPECT_EQ(busy.slots_seen.size(), 100u);

  // pop_chance 1: kernels roll and hop forever.
  const RunStats calm = long_run(screen(640, 480, 100, 1), 2, 10000);
  EXPECT_EQ(calm.pops, 0);
  EXPECT_GT(calm.hops, 1000);

  // total_fizzlet 1: slot 1 only; out-of-range counts are limited to 1..100.
  EXPECT_EQ(long_run(screen(640, 480, 1, 50), 3, 2000).slots_seen, std::set<int>{1});
  EXPECT_EQ(long_run(screen(640, 480, 0, 50), 4, 500).slots_seen, std::set<int>{1});
  EXPECT_EQ(long_run(screen(640, 480, -7, 50), 5, 500).slots_seen, std::set<int>{1});
  EXPECT_EQ(long_run(screen(640, 480, 32767, 50), 6, 500).slots_seen.size(), 100u);
}

TEST(Motion, SameSeedSameRun) {
  auto run = [](std::uint64_t seed) {
    Sprites s = fresh();
    SeededRandom random(seed);
    for (int f = 0; f < 500; ++f) move_sprites(s, screen(800, 600, 50, 20), random);
    return s.sprite_x;
  };
  EXPECT_EQ(run(11), run(11));
  EXPECT_NE(run(11), run(12));
}

}  // namespace
}  // namespace fizzlet
