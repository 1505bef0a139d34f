#include "dialogs/password_change.h"

namespace fizzlet {

namespace {

using namespace password_change;

// In tab order: the new password, its confirmation, OK, Cancel.
constexpr ControlSpec kControls[] = {
    {kNewPassword, ControlKind::password_box, "", {1980, 630, 1605, 330}},
    {kConfirmPassword, ControlKind::password_box, "", {1980, 1080, 1605, 315}},
    {kOK, ControlKind::default_button, "OK", {4050, 180, 1095, 330}},
    {kCancel, ControlKind::button, "Cancel", {4050, 585, 1095, 330}},
    {kHeadingLabel, ControlKind::centred_label, "Change password for Fizzlet Screen Saver",
     {60, 135, 3840, 240}},
    {kNewPasswordLabel, ControlKind::label, "New Password:", {180, 630, 1110, 195}},
    {kConfirmPasswordLabel, ControlKind::label, "Confirm new password:", {180, 1080, 1635, 195}},
};

constexpr FormSpec kForm{"Change  Password", 5265, 1545, kControls};

constexpr std::uint32_t kDeadKeyMark = 0x80000000u;

constexpr MessageSpec kMismatch{
    "The new and confirmed passwords do not match. Please type them again.",
    "Microsoft Windows", MessageIcon::critical};
constexpr MessageSpec kTooLong{"New password too long\nMaximum length 30 chars", "Change Password",
                               MessageIcon::exclamation};

char key_character(char character, const KeyboardLayout& layout) {
  const auto code = static_cast<unsigned char>(character);
  // The virtual key is the low byte; -1 (no key) stays negative.
  const int virtual_key = layout.key_for_character(code) % 256;
  if (virtual_key < 0) return character;
  const std::uint32_t unshifted =
      layout.unshifted_character(static_cast<unsigned>(virtual_key)) & ~kDeadKeyMark;
  if (unshifted == 0 || unshifted > 0xFF) return character;
  return static_cast<char>(static_cast<unsigned char>(unshifted));
}

}  // namespace

const FormSpec& password_change_form() { return kForm; }

std::string map_to_key_characters(std::string_view text, const KeyboardLayout& layout) {
  std::string mapped(text);
  for (char& character : mapped) character = key_character(character, layout);
  return mapped;
}

NewPasswordCheck check_new_password(std::string_view new_password, std::string_view confirmed,
                                    const KeyboardLayout& layout) {
  NewPasswordCheck result{NewPasswordVerdict::accepted, map_to_key_characters(new_password, layout),
                          map_to_key_characters(confirmed, layout)};
  if (result.first != result.second) {
    result.verdict = NewPasswordVerdict::mismatch;
  } else if (result.first.size() > kMaxPasswordLength) {
    result.verdict = NewPasswordVerdict::too_long;
  }
  return result;
}

const MessageSpec& mismatch_message() { return kMismatch; }
const MessageSpec& too_long_message() { return kTooLong; }

void store_new_password(std::string_view password, Settings& settings, SettingsStore& store) {
  settings.password_plain = password;
  save_password(store, settings);
}

PasswordChangeRules::PasswordChangeRules(FormWindow& form, Settings& settings,
                                         SettingsStore& store, const KeyboardLayout& layout)
    : form_(form), settings_(settings), store_(store), layout_(layout) {}

void PasswordChangeRules::on_load() {
  form_.set_text(kNewPassword, "");
  form_.set_text(kConfirmPassword, "");
}

bool PasswordChangeRules::on_command(int id) {
  switch (id) {
    case kOK: on_ok(); return true;
    case kCancel: on_cancel(); return true;
    default: return false;
  }
}

void PasswordChangeRules::on_ok() {
  if (!guard_.enter()) return;
  const NewPasswordCheck check =
      check_new_password(form_.text_of(kNewPassword), form_.text_of(kConfirmPassword), layout_);
  // The boxes keep the mapped texts, also after a refusal.
  form_.set_text(kNewPassword, check.first);
  form_.set_text(kConfirmPassword, check.second);
  switch (check.verdict) {
    case NewPasswordVerdict::mismatch: form_.show_message(mismatch_message()); break;
    case NewPasswordVerdict::too_long: form_.show_message(too_long_message()); break;
    case NewPasswordVerdict::accepted: store_new_password(check.first, settings_, store_); break;
  }
  const bool close_requested = guard_.leave();
  if (check.verdict == NewPasswordVerdict::accepted || close_requested) form_.unload();
}

void PasswordChangeRules::on_cancel() {
  if (guard_.request_close()) form_.unload();
}

}  // namespace fizzlet
