#include <gtest/gtest.h>

#include "saver/compositor.h"
#include "saver/sprites.h"

namespace fizzlet {
namespace {

using Row = std::array<std::int32_t, 5>;

TEST(Sprites, TablesHoldThePiecesTheRollStripAndTwoMirroredSequences) {
  Sprites s;
  init_sprites(s, 256);
  EXPECT_EQ(s.sheet_cells[1], (Row{0, 5, 22, 75, 56}));
  EXPECT_EQ(s.sheet_cells[21], (Row{0, 393, 177, 32, 31}));
  for (int c = 1; c <= 21; ++c) {  // every piece lies on the sheet, above the roll strip
    const auto& r = s.sheet_cells[c];
    EXPECT_TRUE(r[kCellWidth] > 0 && r[kCellLeft] + r[kCellWidth] <= kSheetWidth &&
                r[kCellTop] + r[kCellHeight] <= 220)
        << c;
  }
  for (int c = 22; c <= 37; ++c) EXPECT_EQ(s.sheet_cells[c], (Row{0, 32 * (c - 22), 220, 32, 32}));
  for (int c : {0, 38, 39, 40}) EXPECT_EQ(s.sheet_cells[c], Row{}) << c;

  for (int k = 1; k <= 16; ++k) {
    EXPECT_EQ(s.anim_seqs[1][k], 21 + k);
    EXPECT_EQ(s.anim_seqs[1][k], s.anim_seqs[2][17 - k]);
  }
  for (int seq = 0; seq < kSeqRows; ++seq) {
    for (int step = 0; step < kSeqSteps; ++step) {
      const bool roll = seq == 1 || seq == 2;
      const int expected = roll && step == 17 ? -1 : 0;
      EXPECT_TRUE((roll && step >= 1 && step <= 16) || s.anim_seqs[seq][step] == expected)
          << seq << "," << step;
    }
  }
}

TEST(Sprites, InitTurnsEverySlotOffAndSpriteOffKeepsPositionStepAndCell) {
  Sprites s;
  // A piece in flight and two kernels from an earlier showing of the window.
  s.sprite_state[7] = kStatePopped;
  s.sprite_x[7] = 123.5;
  s.sprite_dy[7] = -12;
  s.sprite_gravity[7] = 0.64;
  s.sprite_step[7] = 9;
  s.sprite_cell[7] = 14;
  s.sprite_seq[8] = 2;
  s.sprite_state[100] = kStateRolling;
  init_sprites(s, 256);
  EXPECT_EQ(s.sprite_slots, 100);
  for (int slot = 1; slot <= 100; ++slot) {
    EXPECT_EQ(s.sprite_state[slot] | s.sprite_seq[slot], 0) << slot;
    EXPECT_EQ(s.sprite_dy[slot], 0);
    EXPECT_EQ(s.sprite_gravity[slot], 0);
  }
  EXPECT_EQ(s.sprite_x[7], 123.5);
  EXPECT_EQ(s.sprite_step[7], 9);
  EXPECT_EQ(s.sprite_cell[7], 14);
  EXPECT_EQ(s.sprite_step[1] | s.sprite_cell[1], 0);  // never used: still zero
  // Slot numbers outside 1..100 are ignored.
  s.sprite_state[0] = kStateRolling;
  s.sprite_state[100] = kStateRolling;
  sprite_off(s, 0);
  sprite_off(s, -3);
  sprite_off(s, 101);
  EXPECT_EQ(s.sprite_state[0], kStateRolling);
  EXPECT_EQ(s.sprite_state[100], kStateRolling);
}

TEST(Sprites, MaskOnlyUpToTwoHundredFiftySixColours) {
  EXPECT_EQ(get_numberofcolors(4, 1), 16);
  EXPECT_EQ(get_numberofcolors(1, 4), 16);  // a planar 16-colour display
  EXPECT_EQ(get_numberofcolors(16, 1), 65536);
  EXPECT_EQ(get_numberofcolors(32, 1), 4294967296.0);
  EXPECT_EQ(get_numberofcolors(65536 + 8, 1), 256);  // the device values are 16-bit
  Sprites s;
  for (int bits : {4, 8, 15, 16, 24, 32}) {
    init_sprites(s, get_numberofcolors(bits, 1));
    EXPECT_EQ(s.high_colour, bits > 8) << bits;
  }
}

}  // namespace
}  // namespace fizzlet
