#include "startup/command_line.h"

#include "settings/number_text.h"

namespace fizzlet {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::string_view arguments_of_command_line(std::string_view command_line) {
  std::size_t i = 0;
  if (!command_line.empty() && command_line.front() == '"') {
    const auto closing = command_line.find('"', 1);
    i = closing == std::string_view::npos ? command_line.size() : closing + 1;
  } else {
    while (i < command_line.size() && !is_blank(command_line[i])) ++i;
  }
  while (i < command_line.size() && is_blank(command_line[i])) ++i;
  return command_line.substr(i);
}

std::string mode_key(std::string_view arguments) {
  std::string key(arguments.substr(0, 2));
  for (char& c : key) c = upper(c);
  return key.empty() ? std::string("/C") : key;
}

Mode mode_from_command_line(std::string_view arguments) {
  const std::string key = mode_key(arguments);
  if (key == "/C") return Mode::configuration;
  if (key == "/S") return Mode::saver;
  if (key == "/P") return Mode::preview;
  if (key == "/A") return Mode::password_change;
  return Mode::none;
}

std::int32_t window_handle_from_command_line(std::string_view arguments) {
  if (arguments.size() < 2) return 0;
  const auto number = read_leading_number(arguments.substr(2));
  if (!number) return 0;
  const auto value = number->rounded_within(-2147483648LL, 4294967295LL);
  if (!value) return 0;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(*value));
}

StartRequest start_request(std::string_view command_line) {
  const std::string_view arguments = arguments_of_command_line(command_line);
  StartRequest request{mode_from_command_line(arguments), 0};
  if (request.mode == Mode::preview || request.mode == Mode::password_change) {
    request.window_handle = window_handle_from_command_line(arguments);
  }
  return request;
}

}  // namespace fizzlet
