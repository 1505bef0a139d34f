#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "startup/command_line.h"
#include "startup/process.h"

namespace fizzlet {
namespace {

TEST(CommandLine, FirstTwoCharactersChooseTheMode) {
  struct Case {
    const char* arguments;
    Mode mode;
  };
  const Case cases[] = {
      {"", Mode::configuration},        {"/c", Mode::configuration},
      {"/C", Mode::configuration},      {"/c:1234", Mode::configuration},
      {"/C 1234", Mode::configuration}, {"/s", Mode::saver},
      {"/S", Mode::saver},              {"/Saver", Mode::saver},
      {"/s anything at all", Mode::saver}, {"/p 1234", Mode::preview},
      {"/P", Mode::preview},            {"/a", Mode::password_change},
      {"/A 99", Mode::password_change}, {"-s", Mode::none},
      {"-c", Mode::none},               {"/x", Mode::none},
      {" /s", Mode::none},  // nothing is trimmed
      {"/", Mode::none},                {"s", Mode::none},
      {"\\s", Mode::none},              {"/\xe9", Mode::none},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(mode_from_command_line(c.arguments), c.mode) << '"' << c.arguments << '"';
  }
  EXPECT_EQ(mode_key(""), "/C");
  EXPECT_EQ(mode_key("/saver"), "/S");
  EXPECT_EQ(mode_key("/"), "/");
}

TEST(CommandLine, WindowHandleIsTheRoundedNumberAfterTheSwitch) {
  struct Case {
    const char* arguments;
    std::int32_t handle;
  };
  const Case cases[] = {
      {"/p 1234", 1234},   {"/P", 0},           {"/p", 0},          {"", 0},
      {"/p:1234", 0},      {"/p  \t 77", 77},   {"/p1234", 1234},   {"/p -12", -12},
      {"/p +12", 12},      {"/p 0004", 4},      {"/p 12abc", 12},   {"/p 1 2", 1},
      {"/p 1e3", 1},       {"/p - 5", 0},       {"/p x", 0},        {"/p 12.5", 12},
      {"/p 13.5", 14},     {"/p 13.49", 13},    {"/p -2.5", -2},    {"/p .6", 1},
      {"/a 1234", 1234},   {"/P 2147483647", 2147483647},
      {"/p -2147483648", INT32_MIN},
      {"/p -2147483649", 0},
      {"/p 4294967295", -1},  // a handle written unsigned keeps its 32 bits
      {"/p 4294967295.5", 0},  // rounds to 2^32, which does not fit
      {"/p 4294967296", 0},
      {"/p 99999999999999999999999999999999", 0},
      {"/p -99999999999999999999999999999999", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(window_handle_from_command_line(c.arguments), c.handle)
        << '"' << c.arguments << '"';
  }
}

TEST(CommandLine, ArgumentsFollowTheProgramNameAndItsBlanks) {
  EXPECT_EQ(arguments_of_command_line("\"C:\\Program Files\\fizzlet.scr\" /s"), "/s");
  EXPECT_EQ(arguments_of_command_line("\"C:\\Program Files\\fizzlet.scr\"/p 5"), "/p 5");
  EXPECT_EQ(arguments_of_command_line("C:\\WINDOWS\\FIZZLET.SCR /p 1234"), "/p 1234");
  EXPECT_EQ(arguments_of_command_line("fizzlet.scr \t  /c:55  "), "/c:55  ");
  EXPECT_EQ(arguments_of_command_line("fizzlet.scr"), "");
  EXPECT_EQ(arguments_of_command_line("fizzlet.scr   "), "");
  EXPECT_EQ(arguments_of_command_line("\"unterminated /s"), "");
  EXPECT_EQ(arguments_of_command_line(""), "");
}

TEST(ProcessValues, ProgramFolderAlwaysEndsInABackslash) {
  EXPECT_EQ(app_folder_from_module_path("C:\\Saver\\fizzlet.scr"), "C:\\Saver\\");
  EXPECT_EQ(app_folder_from_module_path("C:\\fizzlet.scr"), "C:\\");
  EXPECT_EQ(app_folder_from_module_path("\\\\server\\share\\f.scr"), "\\\\server\\share\\");
  EXPECT_EQ(app_folder_from_module_path("Z:/unix/style/f.scr"), "Z:/unix/style\\");
  EXPECT_EQ(app_folder_from_module_path("C:f.scr"), "C:.\\");
  EXPECT_EQ(app_folder_from_module_path("f.scr"), ".\\");
}

TEST(ProcessValues, TwipsPerPixelRoundsHalvesToEven) {
  EXPECT_EQ(twips_per_pixel(96), 15);
  EXPECT_EQ(twips_per_pixel(120), 12);
  EXPECT_EQ(twips_per_pixel(144), 10);
  EXPECT_EQ(twips_per_pixel(72), 20);
  EXPECT_EQ(twips_per_pixel(100), 14);  // 14.4
  EXPECT_EQ(twips_per_pixel(110), 13);  // 13.09
  EXPECT_EQ(twips_per_pixel(192), 8);   // 7.5 rounds to even 8
  EXPECT_EQ(twips_per_pixel(576), 2);   // 2.5 rounds to even 2
  EXPECT_EQ(twips_per_pixel(1), 1440);
  EXPECT_EQ(twips_per_pixel(0), 15);    // nothing reported: the common 96 dpi
  EXPECT_EQ(twips_per_pixel(-96), 15);
  EXPECT_EQ(twips_per_pixel(100000), 1);  // never 0, which callers divide by
}

TEST(CommandLine, TheStartRequestTakesAWindowHandleOnlyForPreviewAndPasswordChange) {
  struct Case {
    const char* command_line;
    Mode mode;
    std::int32_t handle;
  } cases[] = {
      {"fizzlet.scr /p 1234", Mode::preview, 1234},
      {"\"C:\\a b\\fizzlet.scr\" /a 77", Mode::password_change, 77},
      {"fizzlet.scr /s 1234", Mode::saver, 0},
      {"fizzlet.scr /c:99", Mode::configuration, 0},
      {"fizzlet.scr", Mode::configuration, 0},
      {"fizzlet.scr /x 5", Mode::none, 0},
  };
  for (const Case& c : cases) {
    const StartRequest request = start_request(c.command_line);
    EXPECT_EQ(request.mode, c.mode) << c.command_line;
    EXPECT_EQ(request.window_handle, c.handle) << c.command_line;
  }
}

TEST(ProcessValues, AWindowIsCentredOnTheScreenRoundedHalvesToEven) {
  EXPECT_EQ(centred_origin(1024, 768, 256, 94), (ScreenPoint{384, 337}));
  EXPECT_EQ(centred_origin(1024, 768, 255, 93), (ScreenPoint{384, 338}));  // 384.5, 337.5
  EXPECT_EQ(centred_origin(1024, 768, 257, 95), (ScreenPoint{384, 336}));  // 383.5, 336.5
  EXPECT_EQ(centred_origin(640, 480, 800, 600), (ScreenPoint{-80, -60}));
}

}  // namespace
}  // namespace fizzlet
