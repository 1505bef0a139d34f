// The preview host's states and decisions, and how its picture fills the
// preview window.

#include <gtest/gtest.h>

#include "preview/preview_host.h"

namespace fizzlet {
namespace {

constexpr PixelSize kMonitor{152, 112};

PreviewWatch watching(bool exists, PixelSize client = kMonitor, PixelSize picture = kMonitor) {
  return {exists, client, picture};
}

TEST(PreviewHost, EndsAtTheFirstTickAfterTheWindowGoesOrACloseRequest) {
  // The preview window is destroyed without a close request.
  PreviewHost destroyed;
  EXPECT_EQ(destroyed.state(), PreviewState::loaded);
  EXPECT_TRUE(destroyed.on_load(true));
  EXPECT_EQ(destroyed.state(), PreviewState::attached);
  EXPECT_TRUE(destroyed.preview_attached());
  for (int tick = 0; tick < 3; ++tick) {
    EXPECT_EQ(destroyed.on_watch_tick(watching(true)), TickAction::none);
  }
  EXPECT_EQ(destroyed.on_watch_tick(watching(false)), TickAction::unload);
  EXPECT_EQ(destroyed.state(), PreviewState::ended);
  EXPECT_EQ(destroyed.on_watch_tick(watching(false)), TickAction::none) << "unloads once";

  // A close request takes the picture back at once; messages other than 16
  // change nothing; the next tick ends the host although the window lives.
  PreviewHost closed;
  closed.on_load(true);
  for (std::uint32_t other : {0u, 2u, 15u, 17u, 0x10u + 0x100u}) {
    EXPECT_FALSE(closed.on_hooked_message(other)) << other;
  }
  EXPECT_EQ(closed.state(), PreviewState::attached);
  EXPECT_TRUE(closed.on_hooked_message(kCloseMessage));
  EXPECT_EQ(closed.state(), PreviewState::detached);
  EXPECT_FALSE(closed.preview_attached());
  EXPECT_FALSE(closed.on_hooked_message(kCloseMessage)) << "already back in the hidden form";
  EXPECT_EQ(closed.on_watch_tick(watching(true)), TickAction::unload);
  EXPECT_EQ(closed.state(), PreviewState::ended);
  EXPECT_FALSE(closed.on_hooked_message(kCloseMessage));
}

TEST(PreviewHost, AHandleOfNoWindowGetsNoPictureAndEndsAtTheFirstTick) {
  PreviewHost host;
  EXPECT_EQ(host.on_watch_tick(watching(false, {}, {})), TickAction::none) << "before on_load";
  EXPECT_EQ(host.state(), PreviewState::loaded);
  EXPECT_FALSE(host.on_load(false)) << "the picture must not go to the desktop";
  EXPECT_EQ(host.state(), PreviewState::attached);
  EXPECT_EQ(host.on_watch_tick(watching(false, {}, {})), TickAction::unload);
  EXPECT_EQ(host.state(), PreviewState::ended);
}

TEST(PreviewHost, ThePictureFollowsThePreviewWindowsSizeWhileAttached) {
  PreviewHost host;
  host.on_load(true);
  EXPECT_EQ(host.on_watch_tick(watching(true, {300, 200}, kMonitor)), TickAction::resize_picture);
  EXPECT_EQ(host.on_watch_tick(watching(true, {300, 200}, {300, 200})), TickAction::none);
  EXPECT_EQ(host.on_watch_tick(watching(true, {0, 0}, {300, 200})), TickAction::resize_picture);
  host.on_hooked_message(kCloseMessage);
  EXPECT_EQ(host.on_watch_tick(watching(true, {80, 60}, {0, 0})), TickAction::unload);
}

TEST(PreviewPaint, ThePictureSitsAtTheTopLeftWithBlackAroundOrIsCutOff) {
  struct Case {
    PixelSize client;
    PixelRect picture, right, bottom;
  };
  const Case cases[] = {
      // Exactly the picture's size: nothing black.
      {{150, 112}, {0, 0, 150, 112}, {150, 0, 0, 112}, {0, 112, 150, 0}},
      // Larger: black to the right of the picture and below across the width.
      {{200, 150}, {0, 0, 150, 112}, {150, 0, 50, 112}, {0, 112, 200, 38}},
      // Smaller: cut off at the right and the bottom.
      {{100, 80}, {0, 0, 100, 80}, {100, 0, 0, 80}, {0, 80, 100, 0}},
      // Wider but lower, and a window with no client area at all.
      {{400, 50}, {0, 0, 150, 50}, {150, 0, 250, 50}, {0, 50, 400, 0}},
      {{0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}},
      {{-5, -5}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.client.width << " x " << c.client.height);
    const PreviewPaint paint = preview_paint(c.client);
    EXPECT_EQ(paint.picture, c.picture);
    EXPECT_EQ(paint.right_black, c.right);
    EXPECT_EQ(paint.bottom_black, c.bottom);
    // The three parts cover the client area exactly once.
    const auto area = [](const PixelRect& r) { return r.empty() ? 0 : r.width * r.height; };
    const int client_area = c.client.width > 0 && c.client.height > 0
                                ? c.client.width * c.client.height
                                : 0;
    EXPECT_EQ(area(paint.picture) + area(paint.right_black) + area(paint.bottom_black),
              client_area);
  }
}

}  // namespace
}  // namespace fizzlet
