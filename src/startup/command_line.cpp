#include "startup/command_line.h"

namespace fizzlet {

Mode mode_from_command_line(std::string_view) { return Mode::none; }

}  // namespace fizzlet
