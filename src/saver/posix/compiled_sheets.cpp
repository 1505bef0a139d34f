#include <cstdio>

#include "saver/posix/sheet_images.h"

namespace fizzlet::posix {

std::optional<SpriteSheets> compiled_sheets() {
  std::optional<SpriteSheets> sheets = decode_sprite_sheets(sprite_bmp(), mask_bmp());
  if (!sheets) std::fprintf(stderr, "fizzlet: %s\n", kDamagedSheets);
  return sheets;
}

}  // namespace fizzlet::posix
