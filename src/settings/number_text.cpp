#include "settings/number_text.h"

namespace fizzlet {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<DecimalNumber> read_leading_number(std::string_view text) {
  DecimalNumber number;
  std::size_t i = 0;
  while (i < text.size() && is_blank(text[i])) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    number.negative = text[i] == '-';
    ++i;
  }
  bool any_digit = false;
  for (; i < text.size() && is_digit(text[i]); ++i) {
    any_digit = true;
    const auto digit = static_cast<std::uint64_t>(text[i] - '0');
    if (digit != 0) number.exactly_zero = false;
    if (number.saturated) continue;
    if (number.magnitude > (DecimalNumber::kMagnitudeCap - digit) / 10) {
      number.magnitude = DecimalNumber::kMagnitudeCap;
      number.saturated = true;
    } else {
      number.magnitude = number.magnitude * 10 + digit;
    }
  }
  // Fraction: only its first digit and whether anything non-zero follows it
  // matter for rounding half to even.
  int first_fraction_digit = -1;
  bool nonzero_after_first = false;
  if (i < text.size() && text[i] == '.' &&
      (any_digit || (i + 1 < text.size() && is_digit(text[i + 1])))) {
    ++i;
    for (; i < text.size() && is_digit(text[i]); ++i) {
      any_digit = true;
      const int digit = text[i] - '0';
      if (digit != 0) number.exactly_zero = false;
      if (first_fraction_digit < 0) {
        first_fraction_digit = digit;
      } else if (digit != 0) {
        nonzero_after_first = true;
      }
    }
  }
  if (!any_digit) return std::nullopt;
  if (!number.saturated && first_fraction_digit >= 0) {
    const bool round_up = first_fraction_digit > 5 ||
                          (first_fraction_digit == 5 &&
                           (nonzero_after_first || number.magnitude % 2 == 1));
    if (round_up) {
      if (number.magnitude + 1 > DecimalNumber::kMagnitudeCap) {
        number.saturated = true;
      } else {
        ++number.magnitude;
      }
    }
  }
  number.length = i;
  return number;
}

std::optional<DecimalNumber> read_whole_number(std::string_view text) {
  auto number = read_leading_number(text);
  if (!number) return std::nullopt;
  for (std::size_t i = number->length; i < text.size(); ++i) {
    if (!is_blank(text[i])) return std::nullopt;
  }
  return number;
}

std::optional<std::int64_t> DecimalNumber::rounded_within(std::int64_t low,
                                                          std::int64_t high) const {
  if (saturated) return std::nullopt;
  const auto value = negative ? -static_cast<std::int64_t>(magnitude)
                              : static_cast<std::int64_t>(magnitude);
  if (value < low || value > high) return std::nullopt;
  return value;
}

std::int64_t DecimalNumber::rounded_clamped(std::int64_t low, std::int64_t high) const {
  if (saturated) return negative ? low : high;
  const auto value = negative ? -static_cast<std::int64_t>(magnitude)
                              : static_cast<std::int64_t>(magnitude);
  return value < low ? low : (value > high ? high : value);
}

}  // namespace fizzlet
