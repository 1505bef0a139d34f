// The password check rules: comparison and the flags of each way out.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "dialogs/password_check.h"

namespace fizzlet {
namespace {

TEST(PasswordCompare, IgnoresLetterCaseAndNothingElse) {
  EXPECT_TRUE(password_matches("secret", "SECRET"));
  EXPECT_TRUE(password_matches("Se7en!", "sE7EN!"));
  EXPECT_TRUE(password_matches("", ""));
  EXPECT_FALSE(password_matches("", "a")) << "an empty password refuses any typed text";
  EXPECT_FALSE(password_matches("abc", "abc "));
  EXPECT_FALSE(password_matches("abc", "ab"));
  EXPECT_FALSE(password_matches("1", "!")) << "no shifted/unshifted folding of what is typed";
  EXPECT_FALSE(password_matches("[", "{"));
  // Western letters beyond ASCII fold too; signs with a 0x20 distance do not.
  EXPECT_TRUE(password_matches("\xE9t\xE9", "\xC9T\xC9"));   // e acute
  EXPECT_EQ(upper_case("\xE0\xFE"), "\xC0\xDE");               // both ends: a grave, thorn
  EXPECT_TRUE(password_matches("\x9A\xFF", "\x8A\x9F"));     // s caron, y diaeresis
  EXPECT_FALSE(password_matches("\xF7", "\xD7"));            // division vs multiplication sign
  EXPECT_FALSE(password_matches("\xDF", "SS"));              // sharp s stays itself
  EXPECT_EQ(upper_case(std::string("a\0z", 3)), std::string("A\0Z", 3));
}

TEST(PasswordFlags, EachWayOutLeavesTheSaverFlagsAsTheLoopExpects) {
  SaverFlags flags;
  flags.password_dialog_open = true;
  flags.activity_count = 7;

  // A wrong password changes nothing: the dialog stays open.
  EXPECT_FALSE(check_password("misc", "wrong", flags));
  EXPECT_TRUE(flags.password_dialog_open);
  EXPECT_FALSE(flags.exit_requested);

  // The right one in another case ends the saver once the dialog is gone.
  EXPECT_TRUE(check_password("misc", "MiSc", flags));
  EXPECT_FALSE(flags.password_dialog_open);
  EXPECT_TRUE(flags.exit_requested);
  password_dialog_unloaded(flags);
  EXPECT_EQ(flags.activity_count, 0);
  EXPECT_TRUE(flags.repaint_requested);
  EXPECT_TRUE(flags.exit_requested) << "unloading must not undo an accepted password";

  // Cancel or time-out: the saver goes on with fresh counting and a repaint.
  SaverFlags other;
  other.password_dialog_open = true;
  other.activity_count = 30;
  password_dialog_cancelled(other);
  EXPECT_FALSE(other.password_dialog_open);
  EXPECT_FALSE(other.exit_requested);
  password_dialog_unloaded(other);
  EXPECT_EQ(other.activity_count, 0);
  EXPECT_TRUE(other.repaint_requested);
  EXPECT_FALSE(other.exit_requested);
}

// A dialog window that records what the rules do to it; during its message
// box, whatever during_message says happens (a time-out, a second Enter).
class FakeForm : public FormWindow {
 public:
  mutable std::map<int, std::string> texts;
  mutable int messages = 0, unloads = 0, focused = 0;
  std::function<void()> during_message;
  std::string text_of(int id) const override { return texts[id]; }
  void set_text(int id, const std::string& text) const override { texts[id] = text; }
  void show_message(const MessageSpec&) const override {
    ++messages;
    if (during_message) during_message();
  }
  void focus(int id) const override { focused = id; }
  void unload() override { ++unloads; }
};

TEST(PasswordCheckRules, OneCheckAtATimeAndACancelDuringTheMessageClosesAfterIt) {
  using namespace password_check;
  Settings settings;
  settings.password_plain = "Secret";
  struct Case {
    const char* typed;
    bool cancel_during_message, exits, hides_cursor;
    int messages, unloads;
  } cases[] = {
      {"SECRET", false, true, true, 0, 1},
      {"wrong", false, false, false, 1, 0},
      {"wrong", true, false, true, 1, 1},
  };
  for (const Case& c : cases) {
    FakeForm form;
    SaverFlags flags;
    flags.password_dialog_open = true;
    PasswordCheckRules rules(form, settings, flags, western_letter_case());
    form.texts[kPasswordBox] = c.typed;
    form.during_message = [&] {
      rules.on_ok();  // a second Enter while the message is up: no second check
      if (c.cancel_during_message) rules.on_cancel();
    };
    EXPECT_TRUE(rules.on_command(kOkButton));
    EXPECT_EQ(flags.exit_requested, c.exits) << c.typed;
    EXPECT_EQ(form.messages, c.messages) << c.typed;
    EXPECT_EQ(form.unloads, c.unloads) << c.typed;
    EXPECT_EQ(form.focused, c.unloads == 0 ? kPasswordBox : 0) << c.typed;
    EXPECT_EQ(rules.on_unload(false), c.hides_cursor) << c.typed;
    EXPECT_FALSE(rules.on_unload(true)) << "going down with the saver: the saver shows it";
  }
  FakeForm form;
  SaverFlags flags;
  PasswordCheckRules rules(form, settings, flags, western_letter_case());
  EXPECT_TRUE(rules.on_command(kEscapeCommand)) << "taken, no way out";
  EXPECT_EQ(form.unloads, 0);
}

}  // namespace
}  // namespace fizzlet
