#include <gtest/gtest.h>

#include <string>

#include "settings/memory_store.h"
#include "settings/settings.h"

namespace fizzlet {
namespace {

std::string scrambled(const std::string& plain) {
  Settings settings;
  settings.password_plain = plain;
  scramble_password(settings);
  return settings.password_scrambled;
}

Settings unscrambled(const std::string& stored) {
  Settings settings;
  settings.password_scrambled = stored;
  unscramble_password(settings);
  return settings;
}

Settings loaded(MemoryStore& store) {
  Settings settings;
  settings.total_fizzlet = -7;  // load must replace whatever was there
  settings.audio_on = "junk";
  settings.password_plain = "stale";
  load_settings(store, settings);
  return settings;
}

// Vectors worked by hand: plain character i is combined with key character
// (i mod 5) + 1 of "qeLWN"; x = code XOR key code gives "z" - x/16, "a" + x%16.
TEST(PasswordScrambling, MatchesHandWorkedVectors) {
  EXPECT_EQ(scrambled(""), "");
  EXPECT_EQ(scrambled("a"), "ze");                // 97 ^ 101 ('e') = 4
  EXPECT_EQ(scrambled("abc"), "zexowe");          // 98 ^ 76 = 46, 99 ^ 87 = 52
  EXPECT_EQ(scrambled("12345"), "uesoteskve");    // fifth pairs with 'q'
  EXPECT_EQ(scrambled("\xff"), "qk");             // 255 ^ 101 = 154
  EXPECT_EQ(scrambled("aaaaaa"), "zexnwgxpyaze");  // sixth pairs with 'e' again
  EXPECT_EQ(unscrambled("zexowe").password_plain, "abc");
  EXPECT_EQ(unscrambled("qk").password_plain, "\xff");
}

TEST(PasswordScrambling, RoundTripsEveryLengthUpToThirty) {
  for (std::size_t n = 1; n <= kMaxPasswordLength; ++n) {
    std::string plain;
    for (std::size_t i = 0; i < n; ++i) {
      // Walk through printable, control and high-half codes.
      plain += static_cast<char>((i * 37 + n * 11 + 1) % 256);
    }
    const std::string stored = scrambled(plain);
    ASSERT_EQ(stored.size(), 2 * n);
    for (std::size_t i = 0; i < stored.size(); i += 2) {
      EXPECT_TRUE(stored[i] >= 'k' && stored[i] <= 'z') << stored;
      EXPECT_TRUE(stored[i + 1] >= 'a' && stored[i + 1] <= 'p') << stored;
    }
    const Settings back = unscrambled(stored);
    EXPECT_EQ(back.password_plain, plain) << "length " << n;
    EXPECT_EQ(back.password_scrambled, stored);
  }
}

TEST(PasswordScrambling, SixthCharacterChangesOnlyTheSixthPair) {
  const std::string a = scrambled("secretA");
  const std::string b = scrambled("secreTA");
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (i == 10 || i == 11) continue;
    EXPECT_EQ(a[i], b[i]) << "position " << i + 1;
  }
  EXPECT_NE(a.substr(10, 2), b.substr(10, 2));
}

TEST(PasswordScrambling, MalformedStoredTextGivesNoPassword) {
  const std::string too_long(62, 'z');
  for (const std::string& stored : std::initializer_list<std::string>{
           "zex", "z", "jexowe" /* j below k */, "zqxowe" /* q above p */, "ZEXOWE", "ze xo",
        "ze\xffo", too_long}) {
    const Settings settings = unscrambled(stored);
    EXPECT_EQ(settings.password_plain, "") << stored;
    EXPECT_EQ(settings.password_scrambled, "") << stored;
    EXPECT_FALSE(is_well_formed_scrambled(stored)) << stored;
  }
  EXPECT_TRUE(is_well_formed_scrambled(std::string(60, 'k')));
  EXPECT_TRUE(is_well_formed_scrambled(""));
}

TEST(LoadSettings, FirstRunGivesDefaultsAndWritesNothing) {
  MemoryStore store;
  const Settings settings = loaded(store);
  EXPECT_EQ(settings.total_fizzlet, 36);
  EXPECT_EQ(settings.pop_chance, 10);
  EXPECT_EQ(settings.audio_on, "1");
  EXPECT_TRUE(audio_enabled(settings));
  EXPECT_EQ(settings.password_plain, "");
  EXPECT_EQ(settings.password_scrambled, "");
  EXPECT_EQ(store.put_count(), 0);
  EXPECT_FALSE(store.contains("total_fizzlet"));
}

TEST(LoadSettings, CorruptNumbersFallBackOrClamp) {
  struct Case {
    const char* stored;
    int total_fizzlet;  // 1..100, default 36
    int pop_chance;     // 1..50, default 10
  };
  const Case cases[] = {
      {"abc", 36, 10},  {"", 36, 10},          {"4 2", 36, 10},
      {"1e3", 36, 10},  {"0x10", 36, 10},      {"12abc", 36, 10},
      {"-", 36, 10},    {".", 36, 10},         {"0", 1, 1},
      {"-5", 1, 1},     {"-99999999999999999999", 1, 1},
      {"101", 100, 50}, {"32768", 100, 50},    {"99999999999999999999999999", 100, 50},
      {"42", 42, 42},   {" 42\t", 42, 42},     {"+7", 7, 7},
      {"007", 7, 7},    {"20.5", 20, 20},      {"21.5", 22, 22},
      {"20.51", 21, 21}, {".9", 1, 1},         {"50.0", 50, 50},
  };
  for (const auto& c : cases) {
    MemoryStore store;
    store.seed("total_fizzlet", c.stored);
    store.seed("pop_chance", c.stored);
    const Settings settings = loaded(store);
    EXPECT_EQ(settings.total_fizzlet, c.total_fizzlet) << '"' << c.stored << '"';
    EXPECT_EQ(settings.pop_chance, c.pop_chance) << '"' << c.stored << '"';
    EXPECT_EQ(store.put_count(), 0);
  }
}

TEST(LoadSettings, AudioIsOffOnlyWhenItsNumberIsZero) {
  for (const char* off : {"0", "00", " 0", "0.0", "-0", "+0.000"}) {
    MemoryStore store;
    store.seed("audio_on", off);
    const Settings settings = loaded(store);
    EXPECT_EQ(settings.audio_on, "0") << off;
    EXPECT_FALSE(audio_enabled(settings)) << off;
  }
  for (const char* on : {"1", "2", "-1", "0.5", "yes", "", "0 1", "True"}) {
    MemoryStore store;
    store.seed("audio_on", on);
    const Settings settings = loaded(store);
    EXPECT_EQ(settings.audio_on, "1") << '"' << on << '"';
    EXPECT_TRUE(audio_enabled(settings)) << on;
  }
}

TEST(LoadSettings, PasswordComesFromMiscOnlyWhenWellFormed) {
  MemoryStore store;
  store.seed("misc", "zexowe");
  EXPECT_EQ(loaded(store).password_plain, "abc");
  store.seed("misc", "zexow");
  EXPECT_EQ(loaded(store).password_plain, "");
  store.seed("misc", "");
  EXPECT_EQ(loaded(store).password_plain, "");
  EXPECT_EQ(store.put_count(), 0);
}

TEST(SaveSettings, WritesDecimalTextAndScrambledPasswordThatLoadBack) {
  MemoryStore store;
  Settings settings;
  settings.total_fizzlet = 100;
  settings.pop_chance = 1;
  settings.audio_on = "0";
  settings.password_plain = "abc";
  settings.password_scrambled = "stale";
  save_settings(store, settings);
  EXPECT_EQ(store.get(kAppKey, kSection, "total_fizzlet", "?"), "100");
  EXPECT_EQ(store.get(kAppKey, kSection, "pop_chance", "?"), "1");
  EXPECT_EQ(store.get(kAppKey, kSection, "audio_on", "?"), "0");
  EXPECT_EQ(store.get(kAppKey, kSection, "misc", "?"), "zexowe");
  EXPECT_EQ(settings.password_scrambled, "zexowe");
  EXPECT_EQ(store.put_count(), 4);

  const Settings back = loaded(store);
  EXPECT_EQ(back.total_fizzlet, 100);
  EXPECT_EQ(back.pop_chance, 1);
  EXPECT_EQ(back.audio_on, "0");
  EXPECT_EQ(back.password_plain, "abc");

  // An empty password is stored as empty text.
  settings.password_plain.clear();
  save_settings(store, settings);
  EXPECT_EQ(store.get(kAppKey, kSection, "misc", "?"), "");
  EXPECT_EQ(loaded(store).password_plain, "");
}

}  // namespace
}  // namespace fizzlet
