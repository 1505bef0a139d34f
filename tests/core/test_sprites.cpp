#include <gtest/gtest.h>

#include "saver/compositor.h"
#include "saver/sprites.h"

namespace fizzlet {
namespace {

TEST(Sprites, SheetCellsHoldThePiecesAndTheRollStrip) {
  Sprites s;
  init_sprites(s, 256);
  // A few pieces from the table, first and last included.
  EXPECT_EQ(s.sheet_cells[1], (std::array<std::int32_t, 5>{0, 5, 22, 75, 56}));
  EXPECT_EQ(s.sheet_cells[7], (std::array<std::int32_t, 5>{0, 525, 16, 52, 50}));
  EXPECT_EQ(s.sheet_cells[13], (std::array<std::int32_t, 5>{0, 336, 95, 49, 53}));
  EXPECT_EQ(s.sheet_cells[21], (std::array<std::int32_t, 5>{0, 393, 177, 32, 31}));
  // Every piece lies on the sheet and above the roll strip.
  for (int c = 1; c <= 21; ++c) {
    const auto& r = s.sheet_cells[c];
    EXPECT_GT(r[kCellWidth], 0);
    EXPECT_LE(r[kCellLeft] + r[kCellWidth], kSheetWidth) << c;
    EXPECT_LE(r[kCellTop] + r[kCellHeight], 220) << c;
  }
  for (int c = 22; c <= 37; ++c) {
    EXPECT_EQ(s.sheet_cells[c], (std::array<std::int32_t, 5>{0, 32 * (c - 22), 220, 32, 32}));
  }
  for (int c : {0, 38, 39, 40}) {
    EXPECT_EQ(s.sheet_cells[c], (std::array<std::int32_t, 5>{})) << c;
  }
}

TEST(Sprites, RollSequencesAreMirrorImagesEndedByMinusOne) {
  Sprites s;
  init_sprites(s, 256);
  for (int k = 1; k <= 16; ++k) {
    EXPECT_EQ(s.anim_seqs[1][k], 21 + k);
    EXPECT_EQ(s.anim_seqs[2][k], 38 - k);
    EXPECT_EQ(s.anim_seqs[1][k], s.anim_seqs[2][17 - k]);
  }
  EXPECT_EQ(s.anim_seqs[1][17], -1);
  EXPECT_EQ(s.anim_seqs[2][17], -1);
  for (int seq = 0; seq < kSeqRows; ++seq) {
    for (int step = 0; step < kSeqSteps; ++step) {
      const bool filled = (seq == 1 || seq == 2) && step >= 1 && step <= 17;
      if (!filled) {
        EXPECT_EQ(s.anim_seqs[seq][step], 0) << seq << "," << step;
      }
    }
  }
}

TEST(Sprites, InitTurnsEverySlotOffAndKeepsWhatSpriteOffKeeps) {
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
    EXPECT_EQ(s.sprite_state[slot], kStateOff);
    EXPECT_EQ(s.sprite_seq[slot], 0);
    EXPECT_EQ(s.sprite_dy[slot], 0);
    EXPECT_EQ(s.sprite_gravity[slot], 0);
  }
  // sprite_off leaves position, horizontal speed, step and cell in the record.
  EXPECT_EQ(s.sprite_x[7], 123.5);
  EXPECT_EQ(s.sprite_step[7], 9);
  EXPECT_EQ(s.sprite_cell[7], 14);
  // Never-used slots still read zero.
  EXPECT_EQ(s.sprite_step[1], 0);
  EXPECT_EQ(s.sprite_cell[1], 0);
  EXPECT_EQ(s.sprite_x[1], 0);
  EXPECT_EQ(s.sprite_y[1], 0);
}

TEST(Sprites, SpriteOffIgnoresSlotsOutsideTheTable) {
  Sprites s;
  s.sprite_state[0] = kStateRolling;
  s.sprite_state[100] = kStateRolling;
  sprite_off(s, 0);
  sprite_off(s, -3);
  sprite_off(s, 101);
  EXPECT_EQ(s.sprite_state[0], kStateRolling);
  EXPECT_EQ(s.sprite_state[100], kStateRolling);
  sprite_off(s, 100);
  EXPECT_EQ(s.sprite_state[100], kStateOff);
}

TEST(Sprites, HighColourOnlyAboveTwoHundredFiftySixColours) {
  Sprites s;
  init_sprites(s, get_numberofcolors(8, 1));
  EXPECT_EQ(s.high_colour, 0);
  init_sprites(s, get_numberofcolors(4, 1));
  EXPECT_EQ(s.high_colour, 0);
  for (int bits : {15, 16, 24, 32}) {
    init_sprites(s, get_numberofcolors(bits, 1));
    EXPECT_EQ(s.high_colour, 1) << bits;
  }
  init_sprites(s, 257);
  EXPECT_EQ(s.high_colour, 1);
}

TEST(Sprites, ColourCountIsTwoToTheBitsTimesPlanes) {
  EXPECT_EQ(get_numberofcolors(4, 1), 16);
  EXPECT_EQ(get_numberofcolors(1, 4), 16);  // a planar 16-colour display
  EXPECT_EQ(get_numberofcolors(8, 1), 256);
  EXPECT_EQ(get_numberofcolors(16, 1), 65536);
  EXPECT_EQ(get_numberofcolors(24, 1), 16777216);
  EXPECT_EQ(get_numberofcolors(32, 1), 4294967296.0);
  // The device values are taken as 16-bit numbers: 65536 + 8 reads as 8.
  EXPECT_EQ(get_numberofcolors(65536 + 8, 1), 256);
}

}  // namespace
}  // namespace fizzlet
