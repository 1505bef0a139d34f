#pragma once
// The sprite sheet and its mask (resources/sprite.bmp and mask.bmp), compiled
// into the native program (every POSIX host draws with them) as the Windows
// saver has them as resources.  The build
// generates their definitions from the files.

#include <cstdint>
#include <optional>
#include <span>

#include "saver/native_host.h"

namespace fizzlet::posix {

std::span<const std::uint8_t> sprite_bmp();
std::span<const std::uint8_t> mask_bmp();

// Both decoded; nothing, said on standard error, when they are damaged.
std::optional<SpriteSheets> compiled_sheets();

}  // namespace fizzlet::posix
