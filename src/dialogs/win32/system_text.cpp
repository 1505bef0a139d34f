#include "dialogs/win32/system_text.h"

#include <windows.h>

#include <string>

namespace fizzlet::win32 {

std::int16_t SystemKeyboardLayout::key_for_character(unsigned char character) const {
  return VkKeyScanA(static_cast<CHAR>(character));
}

std::uint32_t SystemKeyboardLayout::unshifted_character(unsigned virtual_key) const {
  return MapVirtualKeyA(virtual_key, MAPVK_VK_TO_CHAR);
}

std::string SystemLetterCase::upper_case(std::string_view text) const {
  std::string upper(text);
  if (!upper.empty()) CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
  return upper;
}

}  // namespace fizzlet::win32
