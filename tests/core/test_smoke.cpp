#include <gtest/gtest.h>

#include "startup/command_line.h"

TEST(Smoke, Builds) { EXPECT_EQ(fizzlet::mode_from_command_line("/x"), fizzlet::Mode::none); }
