// libFuzzer target: the command-line rules never crash and keep their
// promises for any text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "startup/command_line.h"
#include "startup/process.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  const std::string_view arguments = fizzlet::arguments_of_command_line(text);
  // The arguments are the tail of the command line.
  if (arguments.size() > text.size() ||
      text.compare(text.size() - arguments.size(), arguments.size(), arguments) != 0) {
    std::abort();
  }

  const fizzlet::Mode mode = fizzlet::mode_from_command_line(text);
  const std::string key = fizzlet::mode_key(text);
  if (key.empty() || key.size() > 2) std::abort();
  if ((mode == fizzlet::Mode::saver) != (key == "/S")) std::abort();

  const std::int32_t handle = fizzlet::window_handle_from_command_line(text);
  // Text that has no digit after the switch gives no handle.
  if (handle != 0 && text.size() > 2 &&
      text.find_first_of("0123456789", 2) == std::string::npos) {
    std::abort();
  }

  const std::string folder = fizzlet::app_folder_from_module_path(text);
  if (folder.empty() || folder.back() != '\\') std::abort();

  const auto twips = fizzlet::twips_per_pixel(static_cast<int>(size) - 64);
  if (twips < 1) std::abort();
  return 0;
}
