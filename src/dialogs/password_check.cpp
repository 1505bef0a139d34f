#include "dialogs/password_check.h"

namespace fizzlet {

namespace {

unsigned char upper_byte(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 0x20);
  // Accented small letters 0xE0..0xFE (without the division sign 0xF7).
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
  switch (c) {
    case 0x9A:  // s with caron
    case 0x9C:  // oe ligature
    case 0x9E:  // z with caron
      return static_cast<unsigned char>(c - 0x10);
    case 0xFF:  // y with diaeresis
      return 0x9F;
    default:
      return c;
  }
}

}  // namespace

std::string upper_case(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(upper_byte(static_cast<unsigned char>(c)));
  return out;
}

bool password_matches(std::string_view password_plain, std::string_view typed) {
  return upper_case(password_plain) == upper_case(typed);
}

bool check_password(std::string_view password_plain, std::string_view typed, SaverFlags& flags) {
  if (!password_matches(password_plain, typed)) return false;
  flags.password_dialog_open = 0;
  flags.exit_requested = 1;
  return true;
}

void password_dialog_cancelled(SaverFlags& flags) { flags.password_dialog_open = 0; }

void password_dialog_unloaded(SaverFlags& flags) {
  flags.password_dialog_open = 0;
  flags.activity_count = 0;
  flags.repaint_requested = 1;
}

}  // namespace fizzlet
