#pragma once
// Command-line rules of start-up: the argument text, the mode key and the
// window-handle number that the display settings pass.

#include <cstdint>
#include <string>
#include <string_view>

namespace fizzlet {

enum class Mode { configuration, saver, preview, password_change, none };

// The argument text of a full command line: what follows the program's name
// (quoted or not) and the blanks after it.
std::string_view arguments_of_command_line(std::string_view command_line);

// The first two characters of the arguments, upper-cased; "/C" when empty.
std::string mode_key(std::string_view arguments);

// "/S" saver, "/C" or nothing configuration, "/P" preview, "/A" password
// change, anything else none.  Only the first two characters count.
Mode mode_from_command_line(std::string_view arguments);

// The window handle after "/P" or "/A": the number (sign, digits, fraction)
// that starts after the first two characters and any blanks, rounded halves
// to even; 0 when no number starts there.  A number outside 32 bits gives 0;
// one between 2^31 and 2^32 - 1 (a handle written unsigned) keeps its bits.
std::int32_t window_handle_from_command_line(std::string_view arguments);

// What start-up makes of a full command line: its mode and, for "/P" and
// "/A", the window handle after the switch (0 for every other mode).
struct StartRequest {
  Mode mode = Mode::none;
  std::int32_t window_handle = 0;
};
StartRequest start_request(std::string_view command_line);

}  // namespace fizzlet
