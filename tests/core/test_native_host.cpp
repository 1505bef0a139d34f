// What a native saver host decides without its window system: what follows
// from where it draws, which keys count, how long a grab is tried.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "saver/native_host.h"

namespace fizzlet {
namespace {

TEST(NativeHost, WhereTheSaverDrawsDecidesMonitorsInputAndResizes) {
  struct Case {
    Placement placement;
    bool splits, input, resizes;
  };
  const Case cases[] = {
      {Placement::own_window, true, true, false},
      {Placement::root, true, false, true},
      {Placement::window, false, false, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(splits_by_monitor(c.placement), c.splits);
    EXPECT_EQ(takes_input(c.placement), c.input);
    EXPECT_EQ(follows_resizes(c.placement), c.resizes);
  }
  EXPECT_EQ(missing_window_error(0x2a00007), "there is no window 0x2a00007 on this display");
}

TEST(NativeHost, OnlyKeysThatTypeACharacterCountDeleteAside) {
  EXPECT_TRUE(key_counts(1, false));
  EXPECT_TRUE(key_counts(4, false));
  EXPECT_FALSE(key_counts(0, false));  // Shift, F1, arrows
  EXPECT_FALSE(key_counts(1, true));   // Delete types a control character
}

TEST(NativeHost, AGrabIsTriedForASecondThenGivenUp) {
  struct Case {
    int succeeds_at;  // attempt that succeeds, 0 for none
    bool grabbed;
    int pauses;
  };
  const Case cases[] = {{1, true, 0}, {3, true, 2}, {kGrabAttempts, true, kGrabAttempts - 1},
                        {kGrabAttempts + 1, false, kGrabAttempts}, {0, false, kGrabAttempts}};
  for (const auto& c : cases) {
    int attempts = 0;
    std::vector<int> pauses;
    const bool grabbed = retry_grab([&] { return ++attempts == c.succeeds_at; },
                                    [&](int ms) { pauses.push_back(ms); });
    EXPECT_EQ(grabbed, c.grabbed);
    EXPECT_EQ(pauses, std::vector<int>(static_cast<std::size_t>(c.pauses), kGrabRetryMs));
  }
  EXPECT_EQ(kGrabAttempts * kGrabRetryMs, 1000);
}

TEST(NativeHost, DamagedSheetsAreRefused) {
  const std::vector<std::uint8_t> garbage = {'B', 'M', 1, 2, 3};
  EXPECT_FALSE(decode_sprite_sheets(garbage, garbage).has_value());
}

}  // namespace
}  // namespace fizzlet
