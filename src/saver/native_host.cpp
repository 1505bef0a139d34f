#include "saver/native_host.h"

#include <cstdio>

#include "saver/session.h"

namespace fizzlet {

int cannot_run(const std::string& why) {
  std::fprintf(stderr, "fizzlet: %s\n", why.c_str());
  return kExitCannotRun;
}

std::string missing_window_error(std::uint64_t window_id) {
  char id[32];
  std::snprintf(id, sizeof id, "0x%llx", static_cast<unsigned long long>(window_id));
  return "there is no window " + std::string(id) + " on this display";
}

bool retry_grab(const std::function<bool()>& grab, const std::function<void(int ms)>& pause) {
  for (int attempt = 0; attempt < kGrabAttempts; ++attempt) {
    if (grab()) return true;
    pause(kGrabRetryMs);
  }
  return false;
}

std::optional<SpriteSheets> decode_sprite_sheets(std::span<const std::uint8_t> sprite_bmp,
                                                 std::span<const std::uint8_t> mask_bmp) {
  DibResult sprite = decode_bmp(sprite_bmp);
  DibResult mask = decode_bmp(mask_bmp);
  if (!sprite || !mask) return std::nullopt;
  return SpriteSheets{std::move(*sprite.image), std::move(*mask.image)};
}

int run_to_end(SaverSession& session, const PixelRect& window) {
  session.first_activation();
  const bool set_up = session.set_up(window);
  if (set_up) session.run();
  if (!session.error().empty()) std::fprintf(stderr, "fizzlet: %s\n", session.error().c_str());
  session.end_run();
  return set_up ? kExitDone : kExitCannotRun;
}

}  // namespace fizzlet
