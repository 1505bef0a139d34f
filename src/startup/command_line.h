#pragma once
// Command-line rules of start-up: the mode key and the window-handle number.

#include <cstdint>
#include <string>
#include <string_view>

namespace fizzlet {

enum class Mode { configuration, saver, preview, password_change, none };

Mode mode_from_command_line(std::string_view arguments);

}  // namespace fizzlet
