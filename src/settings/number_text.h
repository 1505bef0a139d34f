#pragma once
// Reading decimal numbers out of stored and typed text: an optional sign,
// digits and an optional fraction, as people and older tools write them.
// Rounding to an integer is to the nearest, halves to even.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace fizzlet {

struct DecimalNumber {
  bool negative = false;
  bool exactly_zero = true;      // every digit, integer and fraction, is 0
  std::uint64_t magnitude = 0;   // |value| rounded half to even, capped at kMagnitudeCap
  bool saturated = false;        // the true magnitude exceeds kMagnitudeCap
  std::size_t length = 0;        // characters read, leading blanks included

  static constexpr std::uint64_t kMagnitudeCap = 1'000'000'000'000'000'000ULL;

  // The rounded value, or nullopt when it is outside [low, high].
  std::optional<std::int64_t> rounded_within(std::int64_t low, std::int64_t high) const;
  // The rounded value clamped to [low, high].
  std::int64_t rounded_clamped(std::int64_t low, std::int64_t high) const;
};

// Skips leading blanks (spaces and tabs) and reads the number that starts
// there: [+|-] digits [. digits] or [+|-] . digits.  Returns nullopt when no
// number starts there.  Text after the number is left unread.
std::optional<DecimalNumber> read_leading_number(std::string_view text);

// Like read_leading_number, but the whole text must be the number, apart
// from blanks before and after it.
std::optional<DecimalNumber> read_whole_number(std::string_view text);

}  // namespace fizzlet
