#include "preview/preview_host.h"

#include <algorithm>

namespace fizzlet {

bool PreviewHost::on_load(bool preview_window_exists) {
  state_ = PreviewState::attached;
  return preview_window_exists;
}

bool PreviewHost::on_hooked_message(std::uint32_t message) {
  if (message != kCloseMessage || state_ != PreviewState::attached) return false;
  state_ = PreviewState::detached;
  return true;
}

TickAction PreviewHost::on_watch_tick(const PreviewWatch& now) {
  if (state_ == PreviewState::ended || state_ == PreviewState::loaded) return TickAction::none;
  if (!now.preview_window_exists || state_ != PreviewState::attached) {
    state_ = PreviewState::ended;
    return TickAction::unload;
  }
  return now.picture == now.preview_client ? TickAction::none : TickAction::resize_picture;
}

PreviewPaint preview_paint(PixelSize client, PixelSize picture) {
  const std::int32_t width = std::max(client.width, 0);
  const std::int32_t height = std::max(client.height, 0);
  const std::int32_t shown_width = std::clamp(picture.width, 0, width);
  const std::int32_t shown_height = std::clamp(picture.height, 0, height);
  PreviewPaint paint;
  paint.picture = {0, 0, shown_width, shown_height};
  paint.right_black = {shown_width, 0, width - shown_width, shown_height};
  paint.bottom_black = {0, shown_height, width, height - shown_height};
  return paint;
}

}  // namespace fizzlet
