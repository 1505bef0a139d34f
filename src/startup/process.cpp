#include "startup/process.h"

#include <cmath>

namespace fizzlet {

std::string app_folder_from_module_path(std::string_view module_path) {
  const auto separator = module_path.find_last_of("\\/");
  if (separator == std::string_view::npos) {
    // "C:fizzlet.scr" names the current folder of drive C.
    if (module_path.size() >= 2 && module_path[1] == ':') {
      return std::string(module_path.substr(0, 2)) + ".\\";
    }
    return ".\\";
  }
  std::string folder(module_path.substr(0, separator + 1));
  if (folder.back() != '\\') folder.back() = '\\';
  return folder;
}

std::int16_t twips_per_pixel(int logical_pixels_per_inch) {
  if (logical_pixels_per_inch <= 0) return 15;
  const int quotient = 1440 / logical_pixels_per_inch;
  const int remainder = 1440 % logical_pixels_per_inch;
  int rounded = quotient;
  if (2 * remainder > logical_pixels_per_inch ||
      (2 * remainder == logical_pixels_per_inch && quotient % 2 == 1)) {
    ++rounded;
  }
  // Above 2880 pixels per inch the rounded value would be 0, and every
  // twips-to-pixels division by it would fail.
  return static_cast<std::int16_t>(rounded < 1 ? 1 : rounded);
}

ScreenPoint centred_origin(int screen_width, int screen_height, int width, int height) {
  // nearbyint rounds halves to even in the default rounding mode.
  return {static_cast<int>(std::nearbyint(screen_width / 2.0 - width / 2.0)),
          static_cast<int>(std::nearbyint(screen_height / 2.0 - height / 2.0))};
}

}  // namespace fizzlet
