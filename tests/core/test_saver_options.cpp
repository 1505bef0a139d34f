#include <gtest/gtest.h>

#include <optional>
#include <string_view>
#include <vector>

#include "app/saver_options.h"

namespace fizzlet {
namespace {

SaverOptionsResult parse(std::vector<std::string_view> arguments,
                         std::optional<std::string_view> daemon_window = std::nullopt) {
  return parse_saver_options(arguments, daemon_window);
}

TEST(SaverOptions, PlacementFromOptionsAndTheDaemonsWindow) {
  struct Case {
    std::vector<std::string_view> arguments;
    std::optional<std::string_view> daemon_window;
    Placement placement;
    std::uint64_t window_id;
  };
  const Case cases[] = {
      {{}, std::nullopt, Placement::own_window, 0},
      {{"--fullscreen"}, std::nullopt, Placement::own_window, 0},
      {{"-root"}, std::nullopt, Placement::root, 0},
      {{"--root"}, std::nullopt, Placement::root, 0},
      {{"-window-id", "0x2a00005"}, std::nullopt, Placement::window, 0x2a00005},
      {{"--window-id=44040197"}, std::nullopt, Placement::window, 44040197},
      // Under the daemon its window wins over -root and over no option...
      {{"-root"}, "0x400001", Placement::window, 0x400001},
      {{}, "4194305", Placement::window, 4194305},
      // ...but not over an explicit window or --fullscreen.
      {{"-window-id", "77"}, "0x400001", Placement::window, 77},
      {{"--fullscreen"}, "0x400001", Placement::own_window, 0},
      // An empty variable counts as unset, and one that is not needed is not
      // read.
      {{"-root"}, "", Placement::root, 0},
      {{}, "", Placement::own_window, 0},
      {{"--fullscreen"}, "junk", Placement::own_window, 0},
      {{"-window-id", "0x1fffffff"}, "0x20000000", Placement::window, 0x1fffffff},
      {{}, "536870911", Placement::window, 0x1fffffff},
      // The last placement option counts.
      {{"-window-id", "5", "-root"}, std::nullopt, Placement::root, 5},
      {{"-root", "--fullscreen"}, std::nullopt, Placement::own_window, 0},
  };
  for (const Case &c : cases) {
    const auto result = parse(c.arguments, c.daemon_window);
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.options.placement, c.placement) << c.arguments.size();
    if (c.placement == Placement::window) {
      EXPECT_EQ(result.options.window_id, c.window_id);
    }
  }
}

TEST(SaverOptions, WaylandUnlessForcedOrAnX11TargetIsAsked) {
  using enum WindowSystem;
  struct Case {
    std::vector<std::string_view> arguments;
    std::optional<std::string_view> daemon_window;
    std::optional<std::string_view> wayland_display;
    std::vector<WindowSystem> tried;
  };
  const Case cases[] = {
      {{}, std::nullopt, "wayland-1", {wayland, x11}},
      {{"--fullscreen"}, std::nullopt, "wayland-1", {wayland, x11}},
      {{}, std::nullopt, std::nullopt, {x11}},
      {{}, std::nullopt, "", {x11}},
      // An X11 target keeps X11.
      {{"-root"}, std::nullopt, "wayland-1", {x11}},
      {{"-window-id", "77"}, std::nullopt, "wayland-1", {x11}},
      {{"-display", ":1"}, std::nullopt, "wayland-1", {x11}},
      {{}, "0x400001", "wayland-1", {x11}},
      // Forced, the last of the two wins.
      {{"--x11"}, std::nullopt, "wayland-1", {x11}},
      {{"--wayland"}, std::nullopt, std::nullopt, {wayland}},
      {{"--wayland", "-x11", "-root"}, std::nullopt, "wayland-1", {x11}},
  };
  for (const Case &c : cases) {
    const auto result = parse(c.arguments, c.daemon_window);
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(window_systems(result.options, c.wayland_display), c.tried) << c.arguments.size();
  }
  EXPECT_FALSE(parse({"--wayland", "-root"}).ok());
  EXPECT_FALSE(parse({"--wayland"}, "0x400001").ok());
  EXPECT_FALSE(parse({"--wayland", "-display", ":1"}).ok());
}

TEST(SaverOptions, OverridesAreCheckedAndAppliedWithoutTheStore) {
  const auto result = parse({"-count", "100", "--pop-chance=1", "-no-music", "-soundfont",
                             "/sf/GM.sf2", "-display", ":3"});
  ASSERT_TRUE(result.ok()) << result.error;
  Settings settings;
  settings.password_plain = "kept";
  apply_saver_options(result.options, settings);
  EXPECT_EQ(settings.total_fizzlet, 100);
  EXPECT_EQ(settings.pop_chance, 1);
  EXPECT_EQ(settings.audio_on, "0");
  EXPECT_EQ(settings.password_plain, "kept");
  EXPECT_EQ(result.options.soundfont, "/sf/GM.sf2");
  EXPECT_EQ(result.options.display, ":3");

  Settings untouched;
  untouched.audio_on = "0";
  apply_saver_options(parse({"-music"}).options, untouched);
  EXPECT_EQ(untouched.audio_on, "1");
  apply_saver_options(parse({}).options, untouched);
  EXPECT_EQ(untouched.total_fizzlet, kDefaultFizzlet);
  EXPECT_EQ(untouched.audio_on, "1");

  EXPECT_EQ(parse({"--help"}).options.action, SaverAction::help);
  EXPECT_EQ(parse({"-h"}).options.action, SaverAction::help);
  EXPECT_EQ(parse({"--version"}).options.action, SaverAction::version);
}

TEST(SaverOptions, BadCommandLinesAreRefusedWithAReason) {
  struct Case {
    std::vector<std::string_view> arguments;
    std::string_view reason;
    std::optional<std::string_view> daemon_window = std::nullopt;
  };
  const Case cases[] = {
      {{"-count", "0"}, "-count must be a whole number from 1 to 100 (got \"0\")"},
      {{"-count", "101"}, "from 1 to 100"},
      {{"-count", " 5"}, "from 1 to 100"},
      {{"-count", "5x"}, "from 1 to 100"},
      {{"-count", ""}, "from 1 to 100"},
      {{"-count", "99999999999"}, "from 1 to 100"},
      {{"-pop-chance", "51"}, "-pop-chance must be a whole number from 1 to 50"},
      {{"-pop-chance", "-1"}, "from 1 to 50"},
      {{"-count"}, "-count needs a value"},
      {{"-soundfont"}, "-soundfont needs a value"},
      {{"-soundfont="}, "-soundfont needs a value"},
      {{"-window-id", "0"}, "-window-id must be a window id"},
      {{"-window-id", "0x"}, "-window-id must be a window id"},
      {{"-window-id", "-5"}, "-window-id must be a window id"},
      {{"-window-id", "0x1g"}, "-window-id must be a window id"},
      // X ids have 29 bits: a larger id must not be cut down to another window.
      {{"-window-id", "0x20000000"}, "at most 0x1fffffff (got \"0x20000000\")"},
      {{"-window-id", "0x100000001"}, "-window-id must be a window id"},
      {{"-window-id", "18446744073709551616"}, "-window-id must be a window id"},
      {{}, "$XSCREENSAVER_WINDOW must be a window id", "junk"},
      {{"-root"}, "$XSCREENSAVER_WINDOW must be a window id", "0x1000001e3"},
      {{}, "(got \"536870912\")", "536870912"},
      {{"-root=1"}, "-root takes no value"},
      {{"-speed", "3"}, "unknown option \"-speed\""},
      {{"-"}, "unexpected argument \"-\""},
      {{"--"}, "unexpected argument \"--\""},
      {{"file.txt"}, "unexpected argument \"file.txt\""},
  };
  for (const Case &c : cases) {
    const auto result = parse(c.arguments, c.daemon_window);
    EXPECT_FALSE(result.ok()) << c.reason;
    EXPECT_NE(result.error.find(c.reason), std::string::npos) << result.error;
  }
  EXPECT_EQ(parse_window_id("0XFF"), 255u);
}

}  // namespace
}  // namespace fizzlet
