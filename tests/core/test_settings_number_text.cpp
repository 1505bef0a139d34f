#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "settings/number_text.h"
#include "settings/registry_value.h"

namespace fizzlet {
namespace {

TEST(NumberText, ReadsLeadingNumbersAndTellsExactZero) {
  const auto n = read_leading_number("  \t-12.5xyz");
  ASSERT_TRUE(n);
  EXPECT_TRUE(n->negative);
  EXPECT_EQ(n->magnitude, 12u);  // half to even
  EXPECT_EQ(n->length, 8u);      // blanks and number, not the text after it
  EXPECT_FALSE(n->exactly_zero);

  EXPECT_TRUE(read_leading_number("000")->exactly_zero);
  EXPECT_TRUE(read_leading_number("-0.000")->exactly_zero);
  EXPECT_FALSE(read_leading_number("0.001")->exactly_zero);
  EXPECT_EQ(read_leading_number("0.001")->magnitude, 0u);
  EXPECT_EQ(read_leading_number("7.")->magnitude, 7u);
  EXPECT_EQ(read_leading_number("7.")->length, 2u);
  EXPECT_EQ(read_leading_number("7.x")->length, 2u);

  for (const char* none : {"", " ", "-", "+", ".", "-.", "x1", "- 1", "+-1", "\n1"}) {
    EXPECT_FALSE(read_leading_number(none)) << '"' << none << '"';
  }
}

TEST(NumberText, RoundsHalvesToEvenOnBothSides) {
  struct Case {
    const char* text;
    std::int64_t value;
  };
  const Case cases[] = {{"0.5", 0},   {"1.5", 2},    {"2.5", 2},     {"2.50001", 3}, {"2.49999", 2},
                        {"-0.5", 0},  {"-1.5", -2},  {"-2.5", -2},   {"-2.6", -3},   {".5", 0},
                        {".51", 1},   {"9.5", 10},   {"99.9", 100}};
  for (const auto& c : cases) {
    EXPECT_EQ(read_leading_number(c.text)->rounded_within(-1000, 1000), c.value) << c.text;
  }
}

TEST(NumberText, HugeNumbersSaturateInsteadOfOverflowing) {
  const auto n = read_leading_number("123456789012345678901234567890.5");
  ASSERT_TRUE(n);
  EXPECT_TRUE(n->saturated);
  EXPECT_FALSE(n->rounded_within(INT64_MIN, INT64_MAX));
  EXPECT_EQ(n->rounded_clamped(1, 100), 100);
  EXPECT_EQ(read_leading_number("-123456789012345678901234567890")->rounded_clamped(1, 100), 1);
  EXPECT_EQ(read_leading_number("0")->rounded_clamped(1, 100), 1);
  EXPECT_EQ(read_leading_number("-0")->rounded_clamped(-5, 5), 0);

  EXPECT_TRUE(read_whole_number(" 42 "));
  EXPECT_FALSE(read_whole_number("42 x"));
  EXPECT_FALSE(read_whole_number("42\n"));
}

TEST(RegistryValue, NumbersAndStringsReadAsTextOtherTypesFallBack) {
  using namespace registry_type;
  struct Case {
    std::uint32_t type;
    std::vector<std::uint8_t> data;
    std::optional<std::string> setting;
    std::string probed;
  } cases[] = {
      {kNumber, {7, 0, 0, 0}, "7", "007"},
      {kNumber, {0x10, 0x27, 0, 0}, "10000", "10000"},
      {kNumber, {0xFF, 0xFF, 0xFF, 0xFF}, "4294967295", "4294967295"},
      {kNumber, {1, 0}, std::nullopt /* too short */, "001"},
      {kString, {'3', '6', 0}, "36", "36"},
      {kExpandString, {'a', 0, 0}, "a", std::string("a\0", 2)},
      {kString, {'a', 'b'}, "ab", "ab"},
      {kString, {}, "", ""},
      {3 /* binary */, {'1', 0}, std::nullopt, "1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(settings_value_text(c.type, c.data), c.setting) << c.type << " " << c.data.size();
    EXPECT_EQ(probed_value_text(c.type, c.data), c.probed) << c.type << " " << c.data.size();
  }
  EXPECT_TRUE(is_predefined_root(0x80000001u));
  EXPECT_FALSE(is_predefined_root(0x80000007u));
  EXPECT_FALSE(is_predefined_root(0x7FFFFFFFu));
  EXPECT_EQ(settings_key_path("Software", "Fizzlet", "Settings"), "Software\\Fizzlet\\Settings");
}

}  // namespace
}  // namespace fizzlet
