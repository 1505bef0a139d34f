#pragma once
// The sprite tables and the kernel table shared by the motion step and the
// compositor.  Tables are indexed from 1 (index 0 exists and is never used)
// and have fixed size: nothing is allocated while the saver runs.

#include <array>
#include <cstdint>

#include "geometry/pixel_rect.h"

namespace fizzlet {

inline constexpr int kMaxSlots = 100;      // kernel slots 1..100
inline constexpr int kCellRows = 41;       // sheet_cells rows 0..40
inline constexpr int kSeqRows = 21;        // anim_seqs rows 0..20
inline constexpr int kSeqSteps = 101;      // anim_seqs steps 0..100
inline constexpr int kFirstPieceCell = 1;  // cells 1..21: popped pieces
inline constexpr int kPieceCells = 21;
inline constexpr int kFirstRollCell = 22;  // cells 22..37: the rolling kernel
inline constexpr int kLastRollCell = 37;
inline constexpr int kKernelSize = 32;  // a rolling kernel's cell is 32 x 32
inline constexpr int kSheetWidth = 586;
inline constexpr int kSheetHeight = 266;

// Columns of a sheet_cells row.
inline constexpr int kCellLeft = 1;
inline constexpr int kCellTop = 2;
inline constexpr int kCellWidth = 3;
inline constexpr int kCellHeight = 4;

// Values of sprite_state.
inline constexpr std::int32_t kStateOff = 0;
inline constexpr std::int32_t kStateRolling = 1;
inline constexpr std::int32_t kStateHopping = 2;
inline constexpr std::int32_t kStatePopped = 3;

// Roll sequences (rows of anim_seqs); 0 means "not animated".
inline constexpr std::int32_t kSeqRollRight = 1;
inline constexpr std::int32_t kSeqRollLeft = 2;
inline constexpr std::int32_t kSeqEnd = -1;

template <typename T>
using SlotArray = std::array<T, kMaxSlots + 1>;

struct Sprites {
  // Cell rectangles on the sheet: [cell][kCellLeft..kCellHeight].
  std::array<std::array<std::int32_t, 5>, kCellRows> sheet_cells{};
  // Cell shown at each step of a sequence: [sequence][step]; kSeqEnd ends it.
  std::array<std::array<std::int32_t, kSeqSteps>, kSeqRows> anim_seqs{};

  // The kernel table, one entry per slot (parallel arrays).
  SlotArray<std::int32_t> sprite_state{};
  SlotArray<double> sprite_x{};  // left edge on the screen, pixels
  SlotArray<double> sprite_y{};  // top edge, growing downwards
  SlotArray<double> sprite_dx{};
  SlotArray<double> sprite_dy{};
  SlotArray<double> sprite_gravity{};
  SlotArray<std::int32_t> sprite_seq{};
  SlotArray<std::int32_t> sprite_step{};
  SlotArray<std::int32_t> sprite_cell{};

  // Owned by the compositor: where the erase step last erased each kernel
  // (= where the previous frame drew it), the size it erased there, and
  // whether it erased the slot in the current frame.
  SlotArray<std::int32_t> sprite_old_x{};
  SlotArray<std::int32_t> sprite_old_y{};
  SlotArray<std::int32_t> sprite_old_w{};
  SlotArray<std::int32_t> sprite_old_h{};
  SlotArray<bool> sprite_erased{};

  std::int32_t sprite_slots = 0;  // slots the drawing loops visit (100)
  bool high_colour = false;       // more than 256 colours: draw additively
};

// Fills the two tables, turns every slot off and decides high_colour from the
// display's colour count (get_numberofcolors).
void init_sprites(Sprites& sprites, double number_of_colors);

// Takes one slot (1..100) out of play: state, sequence, vertical speed and
// gravity become 0; position, step and cell are kept.  Other slot numbers are
// ignored.
void sprite_off(Sprites& sprites, int slot);

// A cell's rectangle on the sheet; cell numbers outside the table read as
// the zero-sized cell 0.
PixelRect cell_rect(const Sprites& sprites, std::int32_t cell);

}  // namespace fizzlet
