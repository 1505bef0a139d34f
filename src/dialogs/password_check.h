#pragma once
// The rules of the password check dialog, free of the window system: how the
// typed password is compared with the stored one, and what each way out of
// the dialog does to the saver's shared flags.

#include <string>
#include <string_view>

#include "dialogs/form.h"
#include "saver/saver_flags.h"
#include "settings/settings.h"

namespace fizzlet {

namespace password_check {
inline constexpr int kPromptLabel = 102;
inline constexpr int kPasswordBox = 101;
inline constexpr int kOkButton = 1;         // Ok: Enter presses it
inline constexpr int kCancelButton = 103;  // Cancel; not the dialog's Escape command
}  // namespace password_check

const FormSpec& password_check_form();
// "The password that you typed is not correct. ..."
const MessageSpec& wrong_password_message();

// Upper-casing as the system does it in its single-byte (ANSI) code page.
class LetterCase {
 public:
  virtual ~LetterCase() = default;
  virtual std::string upper_case(std::string_view text) const = 0;
};

// Upper-cases single-byte text of the Western (1252) code page: a-z, the
// accented small letters and the three small letters of 0x9A, 0x9C, 0x9E and
// 0xFF.  Other bytes (digits, signs, the German sharp s) stay as they are.
std::string upper_case(std::string_view text);

// The Western code page's upper-casing above: the default where the system
// offers none of its own.
const LetterCase& western_letter_case();

// The typed text matches the password when both are equal after upper-casing.
bool password_matches(std::string_view password_plain, std::string_view typed,
                      const LetterCase& letter_case = western_letter_case());

// Ok (or Enter in the box): on a match clears password_dialog_open and sets
// exit_requested, and returns true; otherwise changes nothing and returns false.
bool check_password(std::string_view password_plain, std::string_view typed, SaverFlags& flags,
                    const LetterCase& letter_case = western_letter_case());

// Cancel, the 20-second timer, or closing the window: the saver goes on.
void password_dialog_cancelled(SaverFlags& flags);

// The dialog's window is gone, whichever way it went: the saver repaints its
// window from the clean background and starts counting activity afresh.
void password_dialog_unloaded(SaverFlags& flags);

// The handlers of the open dialog.  The check runs once at a time: input
// that reaches the dialog while the "Passwords" message box is open starts
// no second check.  If the 20-second time-out or a close request comes while
// the message box is open, the dialog closes as on a time-out as soon as the
// message box has been dismissed.
class PasswordCheckRules {
 public:
  // The references must outlive the rules.
  PasswordCheckRules(FormWindow& form, const Settings& settings, SaverFlags& flags,
                     const LetterCase& letter_case);
  // Ok and Cancel; Escape is taken and does nothing: it is no way out.
  bool on_command(int id);
  // Ok, or Enter in the password box.
  void on_ok();
  // Cancel, closing the window, or the time-out: the saver goes on.
  void on_cancel();
  // Closes the dialog by its own ways.
  void close();
  // The window is going, whichever way.  True when the cursor is to be
  // hidden again: the dialog closed by its own ways, not with the saver.
  bool on_unload(bool saver_ending);

 private:
  FormWindow& form_;
  const Settings& settings_;
  SaverFlags& flags_;
  const LetterCase& letter_case_;
  HandlerGuard guard_;
  bool closing_ = false;
};

}  // namespace fizzlet
