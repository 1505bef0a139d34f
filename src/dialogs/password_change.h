#pragma once
// The password change dialog without the window system: its form, the mapping of every
// character to the unshifted character of its key, and the checks that a
// new password passes before it is stored.

#include <cstdint>
#include <string>
#include <string_view>

#include "dialogs/form.h"
#include "settings/settings.h"

namespace fizzlet {

namespace password_change {
inline constexpr int kHeadingLabel = 1101;
inline constexpr int kNewPasswordLabel = 1102;
inline constexpr int kConfirmPasswordLabel = 1103;
inline constexpr int kNewPassword = 1104;
inline constexpr int kConfirmPassword = 1105;
inline constexpr int kOK = 1;      // the dialog's OK: Enter presses it
inline constexpr int kCancel = 2;  // the dialog's Cancel: Escape presses it
}  // namespace password_change

const FormSpec& password_change_form();

// The current keyboard layout, as the window system describes it.
class KeyboardLayout {
 public:
  virtual ~KeyboardLayout() = default;
  // The key that types the single-byte character: its virtual-key code in
  // the low byte and the shift state in the high byte; -1 when no key of
  // the layout types it.
  virtual std::int16_t key_for_character(unsigned char character) const = 0;
  // The character that the key types without any shift: 0 when it types
  // none; bit 31 set when the key is a dead key.
  virtual std::uint32_t unshifted_character(unsigned virtual_key) const = 0;
};

// Every character replaced by the unshifted character of the key that types
// it: letters become capitals ("a" and "A" both give "A"), a shifted symbol
// the character of its key without Shift ("!" gives "1" on a US layout).  A
// dead key gives its own character.  A character that no key of the layout
// types directly, or whose key types nothing single-byte unshifted, is kept
// as it is.
std::string map_to_key_characters(std::string_view text, const KeyboardLayout& layout);

enum class NewPasswordVerdict { accepted, mismatch, too_long };

struct NewPasswordCheck {
  NewPasswordVerdict verdict;
  std::string first;   // the new password, mapped: the boxes show these from now on
  std::string second;  // the confirmation, mapped
};

// OK: both entries mapped; a mismatch is reported before a length over 30.
// Two empty entries are accepted: they remove the password.
NewPasswordCheck check_new_password(std::string_view new_password, std::string_view confirmed,
                                    const KeyboardLayout& layout);

// The messages of a refused attempt.
const MessageSpec& mismatch_message();
const MessageSpec& too_long_message();

// An accepted password takes effect at once: password_plain is set and
// "misc" alone is written, scrambled.
void store_new_password(std::string_view password, Settings& settings, SettingsStore& store);

// The handlers of the open dialog: OK (or Enter) checks and stores, a
// refusal shows its message; one OK at a time while its message box is up,
// and a close request meanwhile is a Cancel once it is dismissed.
class PasswordChangeRules {
 public:
  // The references must outlive the rules.
  PasswordChangeRules(FormWindow& form, Settings& settings, SettingsStore& store,
                      const KeyboardLayout& layout);
  // Both boxes start empty.
  void on_load();
  // OK (Enter) and Cancel (Escape).
  bool on_command(int id);
  void on_ok();
  // Cancel, Escape or closing the window.
  void on_cancel();

 private:
  FormWindow& form_;
  Settings& settings_;
  SettingsStore& store_;
  const KeyboardLayout& layout_;
  HandlerGuard guard_;
};

}  // namespace fizzlet
