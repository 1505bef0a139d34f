#pragma once
// The sprite sheet and its mask (resources/sprite.bmp and mask.bmp), compiled
// into the native program (every POSIX host draws with them) as the Windows
// saver has them as resources.  The build
// generates their definitions from the files.

#include <cstdint>
#include <span>

namespace fizzlet::posix {

std::span<const std::uint8_t> sprite_bmp();
std::span<const std::uint8_t> mask_bmp();

}  // namespace fizzlet::posix
