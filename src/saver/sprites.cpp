#include "saver/sprites.h"

namespace fizzlet {

namespace {

// Left, top, width and height of the 21 popped pieces on the sheet.
constexpr std::int32_t kPieceCellRects[kPieceCells][4] = {
    {5, 22, 75, 56},    {104, 18, 63, 67},  {192, 18, 66, 66},  {282, 19, 63, 50},
    {375, 17, 55, 50},  {458, 16, 40, 56},  {525, 16, 52, 50},  {23, 111, 38, 37},
    {83, 106, 31, 42},  {135, 110, 42, 38}, {200, 108, 48, 39}, {267, 97, 50, 50},
    {336, 95, 49, 53},  {403, 101, 58, 44}, {60, 169, 49, 37},  {124, 164, 40, 43},
    {180, 166, 42, 41}, {238, 175, 39, 32}, {297, 177, 35, 31}, {349, 173, 26, 35},
    {393, 177, 32, 31},
};

constexpr std::int32_t kRollStripTop = 220;
constexpr int kRollPositions = kLastRollCell - kFirstRollCell + 1;  // 16

}  // namespace

void init_sprites(Sprites& sprites, double number_of_colors) {
  for (int c = 0; c < kPieceCells; ++c) {
    auto& row = sprites.sheet_cells[kFirstPieceCell + c];
    for (int col = 0; col < 4; ++col) row[kCellLeft + col] = kPieceCellRects[c][col];
  }
  for (int k = 0; k < kRollPositions; ++k) {
    sprites.sheet_cells[kFirstRollCell + k] = {0, kKernelSize * k, kRollStripTop, kKernelSize,
                                               kKernelSize};
  }
  for (int k = 0; k < kRollPositions; ++k) {
    sprites.anim_seqs[kSeqRollRight][k + 1] = kFirstRollCell + k;
    sprites.anim_seqs[kSeqRollLeft][k + 1] = kLastRollCell - k;
  }
  sprites.anim_seqs[kSeqRollRight][kRollPositions + 1] = kSeqEnd;
  sprites.anim_seqs[kSeqRollLeft][kRollPositions + 1] = kSeqEnd;

  sprites.sprite_slots = kMaxSlots;
  for (int slot = 1; slot <= sprites.sprite_slots; ++slot) sprite_off(sprites, slot);

  sprites.high_colour = false;
  if (number_of_colors > 256) sprites.high_colour = true;
}

void sprite_off(Sprites& sprites, int slot) {
  if (slot < 1 || slot > kMaxSlots) return;
  sprites.sprite_state[slot] = kStateOff;
  sprites.sprite_seq[slot] = 0;
  sprites.sprite_dy[slot] = 0;
  sprites.sprite_gravity[slot] = 0;
}

PixelRect cell_rect(const Sprites& sprites, std::int32_t cell) {
  if (cell < 0 || cell >= kCellRows) cell = 0;
  const auto& row = sprites.sheet_cells[static_cast<std::size_t>(cell)];
  return {row[kCellLeft], row[kCellTop], row[kCellWidth], row[kCellHeight]};
}

}  // namespace fizzlet
