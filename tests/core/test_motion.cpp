#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <set>

#include "engine_fixtures.h"
#include "saver/motion.h"

namespace fizzlet {
namespace {

using testing::ScriptedRandom;

constexpr int kNo = 500;  // draw(500) = 500: no entry, no hop, no pop

MotionSettings screen(int w, int h, int kernels = 1, int pop = 10) {
  return MotionSettings{kernels, pop, w, h};
}

// The fields of one slot that the motion rules set.
struct Kernel {
  std::int32_t state;
  double x, y, dx, dy;
  std::int32_t seq, cell;
  bool operator==(const Kernel&) const = default;
  friend std::ostream& operator<<(std::ostream& o, const Kernel& k) {
    return o << "{state " << k.state << ", x " << k.x << ", y " << k.y << ", dx " << k.dx
             << ", dy " << k.dy << ", seq " << k.seq << ", cell " << k.cell << "}";
  }
};

Kernel slot1(const Sprites& s) {
  return {s.sprite_state[1], s.sprite_x[1], s.sprite_y[1], s.sprite_dx[1],
          s.sprite_dy[1],    s.sprite_seq[1], s.sprite_cell[1]};
}

Sprites with(const Kernel& k, double gravity = 0, int step = 0) {
  Sprites s;
  init_sprites(s, 256);
  s.sprite_state[1] = k.state;
  s.sprite_x[1] = k.x;
  s.sprite_y[1] = k.y;
  s.sprite_dx[1] = k.dx;
  s.sprite_dy[1] = k.dy;
  s.sprite_seq[1] = k.seq;
  s.sprite_cell[1] = k.cell;
  s.sprite_gravity[1] = gravity;
  s.sprite_step[1] = step;
  return s;
}

TEST(RandomDraws, DrawCoinAndSeededGenerator) {
  ScriptedRandom r;
  r.then_uniform(0.0).then_uniform(0.999999).then_uniform(0.5).then_uniform(0.999999);
  EXPECT_EQ(draw(r, 500), 1);
  EXPECT_EQ(draw(r, 500), 500);
  EXPECT_EQ(draw(r, 10), 6);
  EXPECT_EQ(draw(r, 480.0 / 85), 6);  // a fractional size reaches floor(a) + 1
  r.then(500, 249).then(500, 250);
  EXPECT_TRUE(coin(r));
  EXPECT_FALSE(coin(r));

  SeededRandom a(42), b(42), c(43);
  int same_as_other_seed = 0;
  for (int i = 0; i < 1000; ++i) {
    const double x = a.next_uniform();
    ASSERT_EQ(x, b.next_uniform());
    same_as_other_seed += x == c.next_uniform();
  }
  EXPECT_LT(same_as_other_seed, 5);
  // Every face of draw(10), none outside 1..10, roughly evenly.
  int counts[12] = {};
  for (int i = 0; i < 100000; ++i) ++counts[std::clamp(draw(a, 10), 0, 11)];
  EXPECT_EQ(counts[0] + counts[11], 0);
  for (int d = 1; d <= 10; ++d) EXPECT_NEAR(counts[d], 10000, 600) << d;
}

TEST(Motion, KernelsEnterAtEitherEdge) {
  // 640 x 480: enter, left side, speed draw 3; the first frame shows cell 22.
  Sprites s = with({0, 0, 0, 0, 0, 0, 0});
  ScriptedRandom r;
  r.then(500, 249).then(500, 249).then(10, 3);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(slot1(s), (Kernel{1, 0, 447, 1.5, 0, 1, 22}));
  EXPECT_EQ(s.sprite_step[1], 1);

  // Right side at the slowest speed; the next frame it stands at W - 32.5.
  s = with({0, 0, 0, 0, 0, 0, 0});
  r.then(500, 1).then(500, 250).then(10, 1);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(slot1(s), (Kernel{1, 608, 447, -0.5, 0, 2, 37}));
  r.then(500, kNo);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(slot1(s), (Kernel{1, 607.5, 447, -0.5, 0, 2, 36}));

  // Fastest entry; and a draw of 250 keeps the slot off with no more draws.
  s = with({0, 0, 0, 0, 0, 0, 0});
  r.then(500, 1).then(500, 1).then(10, 10);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(s.sprite_dx[1], 5.0);
  s = with({0, 0, 0, 0, 0, 0, 0});
  r.then(500, 250);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(s.sprite_state[1], kStateOff);
  EXPECT_EQ(r.left(), 0u);
}

TEST(Motion, ReusedSlotResumesItsRoll) {
  // A piece that left after its roll had shown step 5: entering clears its
  // vertical speed and continues the roll at step 6.
  Sprites s = with({0, 900, 30, 3, 7, 0, 9}, 0.64, 5);
  ScriptedRandom r;
  r.then(500, 1).then(500, 1).then(10, 2);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(slot1(s), (Kernel{1, 0, 447, 1, 0, 1, 27}));
  EXPECT_EQ(s.sprite_gravity[1], 0);
  // After step 16 the roll starts again at step 1.
  s.sprite_step[1] = 16;
  r.then(500, kNo);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(s.sprite_cell[1], 22);
}

TEST(Motion, BounceReturnsToThePreviousPositionWithTheOtherSequence) {
  ScriptedRandom r;
  // 609 + 31 = 640 is still inside a 640 wide screen; 609.5 is not.
  Sprites s = with({1, 608.5, 447, 0.5, 0, 1, 0}, 0, 4);
  r.then(500, kNo).then(500, kNo);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(slot1(s), (Kernel{1, 609, 447, 0.5, 0, 1, 26}));  // step 5 of the right roll
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(slot1(s), (Kernel{1, 609, 447, -0.5, 0, 2, 32}));  // 37 - 5: mirrored cell

  // Left edge: below 0 bounces, 0 itself does not.
  s = with({1, 2, 447, -2, 0, 2, 0});
  r.then(500, kNo).then(500, kNo);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(s.sprite_x[1], 0);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(slot1(s).x, 0);
  EXPECT_EQ(slot1(s).dx, 2);
  EXPECT_EQ(slot1(s).seq, 1);

  // A hopping kernel bounces the same way.
  s = with({2, 1, 400, -4.5, -3, 2, 0}, 480.0 / 850);
  r.then(500, kNo);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(s.sprite_x[1], 1);
  EXPECT_EQ(s.sprite_seq[1], 1);
  EXPECT_EQ(r.left(), 0u);
}

TEST(Motion, HopsScaleWithScreenHeightAndLand) {
  for (const auto& [h, gravity, max_launch] :
       {std::tuple{480, 0.5647058823529412, 6}, std::tuple{600, 0.7058823529411765, 8}}) {
    SCOPED_TRACE(h);
    Sprites s = with({1, 100, h - 33.0, 1, 0, 1, 0});
    ScriptedRandom r;
    r.then(500, 249).then_uniform(0.9999999);  // the coin, then the fastest launch
    move_sprites(s, screen(640, h), r);
    EXPECT_EQ(slot1(s), (Kernel{2, 101, h - 33.0, 1, -1.0 * max_launch, 1, 22}));
    EXPECT_NEAR(s.sprite_gravity[1], gravity, 1e-12);
  }
  // Rising: y += dy, then dy += gravity; the pop test draws every frame.
  const double g = 480.0 / 850;
  Sprites s = with({2, 100, 447, 0.5, -3, 1, 0}, g);
  ScriptedRandom r;
  r.then(500, kNo);
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(s.sprite_y[1], 444);
  EXPECT_DOUBLE_EQ(s.sprite_dy[1], -3 + g);
  // 448 is not below the floor; 449 lands at 447, still adds gravity and
  // still draws for a pop that cannot happen.
  s = with({2, 100, 447, 0, 1, 1, 0}, g);
  r.then(500, 1);
  move_sprites(s, screen(640, 480, 1, 50), r);
  EXPECT_EQ(slot1(s).state, 2);
  EXPECT_EQ(slot1(s).y, 448);
  r.then(500, 1);
  move_sprites(s, screen(640, 480, 1, 50), r);
  EXPECT_EQ(slot1(s).state, 1);
  EXPECT_EQ(slot1(s).y, 447);
  EXPECT_DOUBLE_EQ(slot1(s).dy, 1 + 2 * g);
  EXPECT_EQ(r.left(), 0u);

  // A launch of 2 rises less than 15 pixels and lands without popping even
  // when every pop draw succeeds.
  s = with({2, 100, 447, 0, -2, 1, 0}, g);
  for (int frame = 0; frame < 20 && s.sprite_state[1] == kStateHopping; ++frame) {
    r.then(500, 1);
    move_sprites(s, screen(640, 480, 1, 50), r);
    EXPECT_GT(s.sprite_y[1], 447 - 15);
  }
  EXPECT_EQ(s.sprite_state[1], kStateRolling);
}

TEST(Motion, PopNeedsTheDrawAndHeightAndScalesWithScreenHeight) {
  for (const auto& [h, gravity, min_launch, max_launch] :
       {std::tuple{480, 0.64, 17, 24}, std::tuple{600, 0.8, 21, 30}}) {
    SCOPED_TRACE(h);
    const double limit = h - 48;
    ScriptedRandom r;
    // At the limit height no pop, whatever the draw.
    Sprites s = with({2, 200, limit, 1, 0, 1, 0});
    r.then(500, 1);
    move_sprites(s, screen(640, h, 1, 50), r);
    EXPECT_EQ(s.sprite_state[1], kStateHopping);
    // Just above: 9 < pop chance 10 pops; piece, sideways and upward speed
    // are drawn in this order.  The piece starts where the kernel was.
    s = with({2, 200, limit - 0.25, 1, 0, 1, 0}, 0, 3);
    r.then(500, 9).then(21, 21).then(20, 1).then_uniform(0.0);
    move_sprites(s, screen(640, h, 1, 10), r);
    EXPECT_EQ(slot1(s), (Kernel{3, 201, limit - 0.25, -9, -1.0 * min_launch, 0, 21}));
    EXPECT_NEAR(s.sprite_gravity[1], gravity, 1e-12);
    EXPECT_EQ(s.sprite_step[1], 3);  // the roll animation has stopped
    // The other ends of the ranges.
    s = with({2, 200, limit - 1, 1, 0, 1, 0});
    r.then(500, 9).then(21, 1).then(20, 20).then_uniform(0.9999999);
    move_sprites(s, screen(640, h, 1, 10), r);
    EXPECT_EQ(slot1(s), (Kernel{3, 201, limit - 1, 10, -1.0 * max_launch, 0, 1}));
    // A draw equal to the pop chance does not pop.
    s = with({2, 200, limit - 1, 1, 0, 1, 0});
    r.then(500, 10);
    move_sprites(s, screen(640, h, 1, 10), r);
    EXPECT_EQ(s.sprite_state[1], kStateHopping);
    EXPECT_EQ(r.left(), 0u);
  }
}

TEST(Motion, PieceFliesWithoutBounceAndLeavesOnlyWellBeyondAnEdge) {
  // Cell 1 is 75 x 56.  On 640 x 480 a piece leaves once x > 670, y > 510,
  // x + 75 < -30 or y + 56 < -30; its left edge off the screen is not enough.
  const std::tuple<double, double, bool> cases[] = {
      {670, 200, true},  {670.5, 200, false}, {300, 510, true},  {300, 510.5, false},
      {-105, 200, true}, {-105.5, 200, false}, {300, -86, true}, {300, -86.5, false},
      {-60, 200, true},
  };
  for (const auto& [x, y, stays] : cases) {
    Sprites s = with({3, x, y, 0, 0, 0, 1});
    ScriptedRandom r;
    move_sprites(s, screen(640, 480), r);
    // Leaving keeps position and cell in the record; flying draws nothing.
    EXPECT_EQ(slot1(s), (Kernel{stays ? 3 : 0, x, y, 0, 0, 0, 1})) << x << "," << y;
    EXPECT_EQ(r.used(), 0);
  }
  Sprites s = with({3, 630, 100, 10, -17, 0, 21}, 0.64);
  ScriptedRandom r;
  move_sprites(s, screen(640, 480), r);
  EXPECT_EQ(slot1(s).x, 640);
  EXPECT_EQ(slot1(s).y, 83);
  EXPECT_DOUBLE_EQ(slot1(s).dy, -16.36);
}

// Many seeded frames, checking on every frame what must hold for every slot.
struct RunStats {
  int pops = 0;
  int hops = 0;
  std::set<int> slots_seen;
};

RunStats long_run(MotionSettings m, std::uint64_t seed, int frames) {
  Sprites s;
  init_sprites(s, 256);
  SeededRandom random(seed);
  RunStats stats;
  const int in_play = limited_total_fizzlet(m.total_fizzlet);
  for (int f = 0; f < frames && !::testing::Test::HasFailure(); ++f) {
    const Sprites before = s;
    move_sprites(s, m, random);
    for (int slot = 1; slot <= kMaxSlots; ++slot) {
      const int state = s.sprite_state[slot];
      const double x = s.sprite_x[slot];
      if (state != kStateOff) stats.slots_seen.insert(slot);
      EXPECT_TRUE(slot <= in_play || state == kStateOff) << slot;
      if (state == kStateRolling || state == kStateHopping) {
        EXPECT_TRUE(x >= 0 && x + 31 <= m.width && x * 2 == std::floor(x * 2)) << x;
        EXPECT_TRUE(s.sprite_cell[slot] >= 22 && s.sprite_cell[slot] <= 37);
      }
      EXPECT_TRUE(state != kStateRolling || s.sprite_y[slot] == m.height - 33);
      stats.hops += state == kStateHopping && before.sprite_state[slot] == kStateRolling;
      if (state == kStatePopped && before.sprite_state[slot] != kStatePopped) {
        ++stats.pops;
        EXPECT_EQ(before.sprite_state[slot], kStateHopping);
        EXPECT_LT(s.sprite_y[slot], m.height - 48);
        EXPECT_TRUE(s.sprite_cell[slot] >= 1 && s.sprite_cell[slot] <= 21);
      }
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
  EXPECT_EQ(long_run(screen(640, 480, -7, 50), 5, 500).slots_seen, std::set<int>{1});
  EXPECT_EQ(long_run(screen(640, 480, 32767, 50), 6, 500).slots_seen.size(), 100u);
}

}  // namespace
}  // namespace fizzlet
