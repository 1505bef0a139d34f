#pragma once
// The system's own answers to the dialogs' text rules: the current keyboard
// layout (for the password change) and upper-casing in the ANSI code page
// (for the password check).

#include "dialogs/password_change.h"
#include "dialogs/password_check.h"

namespace fizzlet::win32 {

// VkKeyScanA and MapVirtualKeyA (virtual key to character) of the thread's
// current keyboard layout.
class SystemKeyboardLayout final : public KeyboardLayout {
 public:
  std::int16_t key_for_character(unsigned char character) const override;
  std::uint32_t unshifted_character(unsigned virtual_key) const override;
};

// CharUpperBuffA: the letters of whatever single-byte code page the system
// uses (0xFF becomes 0xDF under the Cyrillic 1251).
class SystemLetterCase final : public LetterCase {
 public:
  std::string upper_case(std::string_view text) const override;
};

}  // namespace fizzlet::win32
