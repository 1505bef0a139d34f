// The saver window as the configuration dialog's Preview button runs it:
// twice in one process, the second run resumes the kernel table of the
// first instead of starting from zero.

#include <gtest/gtest.h>
#include <windows.h>

#include "saver/win32/screensaver_window.h"
#include "settings/memory_store.h"

namespace fizzlet::win32 {
namespace {

// From about a second on (some 30 frames), types a character on the saver
// window every 250 ms until the preview ends (one in the last frame of an
// activity window is discarded by design).
int g_ticks = 0;
void CALLBACK type_on_saver(HWND, UINT, UINT_PTR, DWORD) {
  if (++g_ticks < 4) return;
  if (const HWND saver = FindWindowA(nullptr, "screen saver running")) {
    PostMessageA(saver, WM_CHAR, 'x', 0);
  }
}

void run_preview(ProcessValues& process, Settings& settings, MemoryStore& store, SaverKeep& keep) {
  g_ticks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 250, &type_on_saver);
  show_screensaver(process, settings, store, /*preview_mode=*/true, keep);
  KillTimer(nullptr, timer);
}

TEST(SaverWindow, ASecondPreviewResumesTheKernelTableOfTheFirst) {
  ProcessValues process;
  process.app_folder = ".\\";
  Settings settings;
  MemoryStore store;
  store.seed("total_fizzlet", "30");
  store.seed("pop_chance", "10");
  store.seed("audio_on", "0");
  SaverKeep keep;

  run_preview(process, settings, store, keep);
  EXPECT_FALSE(process.saver_running);
  ASSERT_GE(keep.scene.size(), 1u);
  const Sprites first = keep.scene.animation(0).sprites();
  int rolled = 0;
  for (int slot = 2; slot <= 30; ++slot) rolled += first.sprite_step[slot] != 0;
  ASSERT_GT(rolled, 0) << "the first preview animated nothing";

  // The second preview moves slot 1 only: every other slot keeps what the
  // first left in the table, off, at its old step, cell and position.
  store.seed("total_fizzlet", "1");
  run_preview(process, settings, store, keep);
  const Sprites& second = keep.scene.animation(0).sprites();
  for (int slot = 2; slot <= 30; ++slot) {
    EXPECT_EQ(second.sprite_state[slot], kStateOff) << slot;
    EXPECT_EQ(second.sprite_step[slot], first.sprite_step[slot]) << slot;
    EXPECT_EQ(second.sprite_cell[slot], first.sprite_cell[slot]) << slot;
    EXPECT_EQ(second.sprite_x[slot], first.sprite_x[slot]) << slot;
    EXPECT_EQ(second.sprite_old_x[slot], first.sprite_old_x[slot]) << slot;
  }
  EXPECT_NE(second.sprite_step[1], 0);
}

}  // namespace
}  // namespace fizzlet::win32
