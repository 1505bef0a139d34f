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

PasswordCheckRules::PasswordCheckRules(FormWindow& form, const Settings& settings,
                                       SaverFlags& flags, const LetterCase& letter_case)
    : form_(form), settings_(settings), flags_(flags), letter_case_(letter_case) {}

bool PasswordCheckRules::on_command(int id) {
  switch (id) {
    case kOkButton: on_ok(); return true;
    case kCancelButton: on_cancel(); return true;
    case kEscapeCommand: return true;
    default: return false;
  }
}

void PasswordCheckRules::on_ok() {
  if (closing_ || !guard_.enter()) return;
  if (check_password(settings_.password_plain, form_.text_of(kPasswordBox), flags_,
                     letter_case_)) {
    guard_.leave();
    close();
    return;
  }
  form_.set_text(kPasswordBox, "");
  form_.show_message(wrong_password_message());
  if (guard_.leave()) {
    // The time-out, or a close, came while the message was up.
    on_cancel();
    return;
  }
  form_.focus(kPasswordBox);
}

void PasswordCheckRules::on_cancel() {
  if (closing_ || !guard_.request_close()) return;  // acted on after the message box
  password_dialog_cancelled(flags_);
  close();
}

void PasswordCheckRules::close() {
  closing_ = true;
  form_.unload();
}

bool PasswordCheckRules::on_unload(bool saver_ending) {
  password_dialog_unloaded(flags_);
  return closing_ && !saver_ending;
}

}  // namespace fizzlet
