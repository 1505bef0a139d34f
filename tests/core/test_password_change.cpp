// The password change rules against a fake keyboard layout: mapping to the
// unshifted key characters, mismatch before length, the 30-character limit,
// empty entries, and storing "misc" alone.  Also the check's upper-casing
// through the letter-case interface.

#include <gtest/gtest.h>

#include <string>

#include "dialogs/password_change.h"
#include "dialogs/password_check.h"
#include "settings/memory_store.h"

namespace fizzlet {
namespace {

// A small US layout as the window system describes it: letters and digits
// on their own keys, "!" and "@" shifted on the digit keys 1 and 2, "^" on a
// dead key, "`" shifted on a dead key whose own character is the acute accent
// (0xB4, as on a German layout), nothing for the other bytes (such as 0xE9,
// e acute).
class FakeUsLayout final : public KeyboardLayout {
 public:
  static constexpr unsigned kShift = 0x100;
  static constexpr unsigned kDeadKey = 0xDC;
  static constexpr unsigned kAccentDeadKey = 0xDD;
  static constexpr unsigned kKeyWithoutCharacter = 0x70;  // a function key

  std::int16_t key_for_character(unsigned char c) const override {
    if (c >= 'a' && c <= 'z') return static_cast<std::int16_t>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z') return static_cast<std::int16_t>(kShift | c);
    if (c >= '0' && c <= '9') return static_cast<std::int16_t>(c);
    if (c == '!') return static_cast<std::int16_t>(kShift | '1');
    if (c == '@') return static_cast<std::int16_t>(kShift | '2');
    if (c == '^') return static_cast<std::int16_t>(kShift | kDeadKey);
    if (c == '`') return static_cast<std::int16_t>(kShift | kAccentDeadKey);
    if (c == '~') return static_cast<std::int16_t>(kKeyWithoutCharacter);
    return -1;
  }
  std::uint32_t unshifted_character(unsigned key) const override {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return key;
    if (key == kDeadKey) return 0x80000000u | '^';
    if (key == kAccentDeadKey) return 0x80000000u | 0xB4u;
    return 0;
  }
};

TEST(PasswordChangeMapping, GivesTheUnshiftedCharacterOfEachKey) {
  const FakeUsLayout layout;
  EXPECT_EQ(map_to_key_characters("aBc", layout), "ABC");
  EXPECT_EQ(map_to_key_characters("Pop!42@", layout), "POP1422");
  EXPECT_EQ(map_to_key_characters("^", layout), "^") << "a dead key gives its own character";
  EXPECT_EQ(map_to_key_characters("`", layout), "\xB4") << "the dead key's own, not the typed one";
  // No key types it, or its key types nothing: kept as it is, not turned
  // into a stray code.
  EXPECT_EQ(map_to_key_characters("caf\xE9~", layout), "CAF\xE9~");
  EXPECT_EQ(map_to_key_characters("", layout), "");
}

TEST(PasswordChangeCheck, MismatchFirstThenLengthAndEmptyEntriesAccepted) {
  const FakeUsLayout layout;
  const std::string thirty(30, 'x');
  const std::string thirty_one(31, 'x');
  struct Case {
    std::string first, second;
    NewPasswordVerdict verdict;
    std::string mapped;
  } cases[] = {
      {"MiXed!9", "mIxED19", NewPasswordVerdict::accepted, "MIXED19"},  // case and Shift
      {"abc", "abd", NewPasswordVerdict::mismatch, "ABC"},
      {thirty, thirty, NewPasswordVerdict::accepted, std::string(30, 'X')},
      {thirty_one, thirty_one, NewPasswordVerdict::too_long, std::string(31, 'X')},
      {thirty_one, thirty_one + "x", NewPasswordVerdict::mismatch, std::string(31, 'X')},
      {"", "", NewPasswordVerdict::accepted, ""},
      {"", "a", NewPasswordVerdict::mismatch, ""},
  };
  for (const Case& c : cases) {
    const NewPasswordCheck check = check_new_password(c.first, c.second, layout);
    EXPECT_EQ(check.verdict, c.verdict) << c.first << " / " << c.second;
    EXPECT_EQ(check.first, c.mapped) << "the boxes show the mapped texts";
  }
  EXPECT_EQ(mismatch_message().text,
            "The new and confirmed passwords do not match. Please type them again.");
  EXPECT_EQ(mismatch_message().title, "Microsoft Windows");
  EXPECT_EQ(mismatch_message().icon, MessageIcon::critical);
  EXPECT_EQ(too_long_message().text, "New password too long\nMaximum length 30 chars");
  EXPECT_EQ(too_long_message().title, "Change Password");
  EXPECT_EQ(too_long_message().icon, MessageIcon::exclamation);
}

TEST(PasswordChangeStore, WritesMiscAloneScrambledAndEmptyRemovesIt) {
  MemoryStore store;
  Settings settings;
  settings.total_fizzlet = 77;  // not written by a password change
  store_new_password("POP1X", settings, store);
  EXPECT_EQ(store.put_count(), 1);
  EXPECT_EQ(store.get(kAppKey, kSection, "misc", ""), "wfzdzhspxj");
  EXPECT_EQ(settings.password_plain, "POP1X");
  store_new_password("", settings, store);
  EXPECT_EQ(store.get(kAppKey, kSection, "misc", "?"), "");
  EXPECT_TRUE(settings.password_plain.empty());
}

// Upper-cases nothing but "q": shows that the check uses the letter case
// it is given rather than a table of its own.
class OnlyQ final : public LetterCase {
 public:
  std::string upper_case(std::string_view text) const override {
    std::string out(text);
    for (char& c : out) c = c == 'q' ? 'Q' : c;
    return out;
  }
};

TEST(PasswordCheckLetterCase, ComparesWithTheGivenUpperCasing) {
  const OnlyQ only_q;
  SaverFlags flags;
  flags.password_dialog_open = true;
  EXPECT_FALSE(password_matches("Zq", "zq", only_q)) << "z is not upper-cased here";
  EXPECT_TRUE(password_matches("QQ", "qq", only_q));
  EXPECT_FALSE(check_password("Aq", "aq", flags, only_q));
  EXPECT_TRUE(check_password("aQ", "aq", flags, only_q));
  EXPECT_TRUE(flags.exit_requested);
  EXPECT_TRUE(password_matches("quiz", "QUIZ")) << "the Western table by default";
}

}  // namespace
}  // namespace fizzlet
