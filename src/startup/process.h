#pragma once
// Values that start-up records for the whole process, and the rules that
// derive them from what the system reports.

#include <cstdint>
#include <string>
#include <string_view>

namespace fizzlet {

struct ProcessValues {
  std::string app_folder;               // program folder, always ending in "\"
  std::int16_t twips_per_pixel_x = 15;  // 1440 / logical pixels per inch, rounded
  std::int16_t twips_per_pixel_y = 15;
  std::int32_t preview_parent = 0;      // window handle after /P or /A, 0 if unreadable
  bool saver_running = false;
};

// The folder of the program file with a trailing "\": "C:\Saver\fizzlet.scr"
// gives "C:\Saver\", "C:\fizzlet.scr" gives "C:\" unchanged.  A bare file
// name gives ".\".
std::string app_folder_from_module_path(std::string_view module_path);

// 1440 divided by the logical pixels per inch, rounded halves to even
// (96 gives 15, 192 gives 8); 15 when the system reports nothing usable,
// and never less than 1.
std::int16_t twips_per_pixel(int logical_pixels_per_inch);

// The top-left corner that centres a window of the given size on a screen
// of the given size, rounded halves to even; negative for a window larger
// than the screen.
struct ScreenPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};
ScreenPoint centred_origin(int screen_width, int screen_height, int width, int height);

}  // namespace fizzlet
