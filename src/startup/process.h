#pragma once
// Values that start-up records for the whole process.

#include <cstdint>
#include <string>

namespace fizzlet {

struct ProcessValues {
  std::string app_folder;               // program folder, always ending in "\"
  std::int16_t twips_per_pixel_x = 15;  // 1440 / logical pixels per inch, rounded
  std::int16_t twips_per_pixel_y = 15;
  std::int32_t preview_parent = 0;      // window handle after /P or /A, 0 if unreadable
  bool saver_running = false;
};

}  // namespace fizzlet
