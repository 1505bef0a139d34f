#include "dialogs/password_check.h"

namespace fizzlet {

namespace {

using namespace password_check;

// In tab order: the text box first, so it has the focus when the dialog opens.
constexpr ControlSpec kControls[] = {
    {kPasswordBox, ControlKind::password_box, "", {180, 540, 2040, 285}},
    {kOkButton, ControlKind::default_button, "Ok", {2790, 180, 915, 330}},
    {kCancelButton, ControlKind::button, "Cancel", {2790, 630, 915, 330}},
    {kPromptLabel, ControlKind::label, "Type your screen saver password:", {180, 180, 2535, 330}},
};

constexpr FormSpec kForm{"Screen Saver Password", 3840, 1125, kControls};

constexpr MessageSpec kWrongPassword{
    "The password that you typed is not correct. Try typing it again.", "Passwords",
    MessageIcon::exclamation};

class WesternLetterCase final : public LetterCase {
 public:
  std::string upper_case(std::string_view text) const override { return fizzlet::upper_case(text); }
};

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

const FormSpec& password_check_form() { return kForm; }
const MessageSpec& wrong_password_message() { return kWrongPassword; }

const LetterCase& western_letter_case() {
  static const WesternLetterCase western;
  return western;
}

std::string upper_case(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(upper_byte(static_cast<unsigned char>(c)));
  return out;
}

bool password_matches(std::string_view password_plain, std::string_view typed,
                      const LetterCase& letter_case) {
  return letter_case.upper_case(password_plain) == letter_case.upper_case(typed);
}

bool check_password(std::string_view password_plain, std::string_view typed, SaverFlags& flags,
                    const LetterCase& letter_case) {
  if (!password_matches(password_plain, typed, letter_case)) return false;
  flags.password_dialog_open = false;
  flags.exit_requested = true;
  return true;
}

void password_dialog_cancelled(SaverFlags& flags) { flags.password_dialog_open = false; }

void password_dialog_unloaded(SaverFlags& flags) {
  flags.password_dialog_open = false;
  flags.activity_count = 0;
  flags.repaint_requested = true;
}

}  // namespace fizzlet
