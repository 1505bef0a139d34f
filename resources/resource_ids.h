// Resource identifiers of fizzlet.scr, shared by fizzlet.rc and the C++ code
// that loads the pictures.  Plain macros, because the resource compiler reads
// this file too.
#pragma once

// The sprite sheet (8 bpp) and its mask (1 bpp): 586 x 266, in register.
#define IDB_SPRITE 101
#define IDB_MASK 102
// The still picture placed in the display settings' preview monitor (150 x 112).
#define IDB_PREVIEW 103
// The configuration dialog's title picture (320 x 240).
#define IDB_TITLE 104
// The about box's small title picture (150 x 112).
#define IDB_ABOUT 105

// The program icon (16, 32 and 48 pixels).
#define IDI_FIZZLET 100

// String 1 of a screen saver is the name the display settings list it under.
#define IDS_DESCRIPTION 1
